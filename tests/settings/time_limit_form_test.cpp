// The auto-stop dialog and the number fields with up-down arrows it shares with the Options
// dialog.
#include "settings/time_limit_form.h"
#include "settings/time_limit_group.h"
#include "settings/up_down.h"
#include "tests/settings/modal_answerer.h"
#include "tests/settings/settings_fixture.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using testsupport::ModalAnswerer;

namespace {

class TimeLimitFormTest : public testsupport::SettingsFixture {
protected:
    void fill(TTimeLimitForm &form, const char *h, const char *m, const char *s) {
        form.RBLimit->click();
        form.Edit1->setText(QString::fromLatin1(h));
        form.Edit2->setText(QString::fromLatin1(m));
        form.Edit3->setText(QString::fromLatin1(s));
    }
};

}  // namespace

TEST_F(TimeLimitFormTest, OpensOnNoLimitWithItsFieldsAtZeroAndDisabled) {
    TTimeLimitForm form(hooks(), nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Auto Stop Settings"));
    EXPECT_EQ(form.size(), QSize(303, 132));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(form.GBTimeLimit->title(), QStringLiteral("Time Limit"));
    EXPECT_EQ(form.RBLimit->text(), QStringLiteral("Stop recording after "));
    EXPECT_TRUE(form.RBNoLimit->isChecked());
    for (QLineEdit *field : {form.Edit1, form.Edit2, form.Edit3}) {
        EXPECT_EQ(field->text(), QStringLiteral("0"));
        EXPECT_FALSE(field->isEnabled());
    }
    EXPECT_FALSE(form.UpDown3->isEnabled());

    form.RBLimit->click();
    EXPECT_TRUE(form.Edit1->isEnabled() && form.Edit2->isEnabled() && form.Edit3->isEnabled());
    EXPECT_TRUE(form.UpDown3->isEnabled());
    form.RBNoLimit->click();
    EXPECT_FALSE(form.Edit2->isEnabled());
}

TEST_F(TimeLimitFormTest, OkSetsTheLimitAndPressesTheIndicator) {
    struct Case {
        const char *h, *m, *s;
        int seconds;
        const char *time;
    };
    // 90 minutes are taken as they come; empty fields count as 0, which shows the button
    // pressed although 0 means no auto stop.
    for (const Case &c : {Case{"0", "0", "5", 5, "00:05"}, Case{"0", "90", "0", 5400, "90:00"},
                          Case{"", "", "", 0, "00:00"}, Case{"1", "2", "5", 3725, "62:05"}}) {
        recordingSettings().RecordTime = -1;
        indicator.clear();
        TTimeLimitForm form(hooks(), nullptr);
        form.show();
        fill(form, c.h, c.m, c.s);
        form.BtnOK->click();
        EXPECT_EQ(recordingSettings().RecordTime, c.seconds);
        ASSERT_EQ(indicator.size(), 1u);
        EXPECT_TRUE(indicator[0].first);
        EXPECT_EQ(indicator[0].second,
                  QStringLiteral("Auto stop recording is set to ") + QLatin1String(c.time));
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_FALSE(QFile::exists(iniPath()));  // the limit reaches the file later
}

TEST_F(TimeLimitFormTest, NoLimitClearsTheLimit) {
    recordingSettings().RecordTime = 0;
    TTimeLimitForm form(hooks(), nullptr);
    form.show();
    form.BtnOK->click();
    EXPECT_EQ(recordingSettings().RecordTime, -1);
    ASSERT_EQ(indicator.size(), 1u);
    EXPECT_FALSE(indicator[0].first);
    EXPECT_EQ(indicator[0].second, QStringLiteral("No Auto stop."));
}

TEST_F(TimeLimitFormTest, AFieldThatIsNotAnIntegerIsAnsweredAndTheDialogStaysOpen) {
    ModalAnswerer answerer;
    TTimeLimitForm form(hooks(), nullptr);
    form.show();
    fill(form, "0", "1.5", "0");
    form.BtnOK->click();

    ASSERT_EQ(answerer.messages.size(), 1u);
    EXPECT_EQ(answerer.messages[0].title, QStringLiteral("Information"));
    EXPECT_EQ(answerer.messages[0].text, QStringLiteral("Please input correct integer number!"));
    EXPECT_EQ(answerer.messages[0].icon, QMessageBox::Information);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(recordingSettings().RecordTime, -1);
    EXPECT_TRUE(indicator.empty());

    form.Edit2->setText(QStringLiteral("1"));
    form.BtnOK->click();
    EXPECT_EQ(recordingSettings().RecordTime, 60);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TimeLimitFormTest, CancelAndTheCloseBoxChangeNothing) {
    for (bool viaCloseBox : {false, true}) {
        TTimeLimitForm form(hooks(), nullptr);
        form.show();
        fill(form, "0", "0", "5");
        if (viaCloseBox)
            form.close();
        else
            form.BtnCancel->click();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_EQ(recordingSettings().RecordTime, -1);
    EXPECT_TRUE(indicator.empty());
}

TEST(UpDownTest, StepsWithinItsRangeWithoutWrapping) {
    QWidget parent;
    QLineEdit *minutes = MakeNumberField(&parent);
    QLineEdit *seconds = MakeNumberField(&parent);
    TUpDown *minutesArrows = MakeUpDown(minutes, 1, &parent);
    TUpDown *secondsArrows = MakeUpDown(seconds, 5, &parent);
    minutes->setEnabled(true);
    seconds->setEnabled(true);

    secondsArrows->upButton()->click();
    secondsArrows->upButton()->click();
    EXPECT_EQ(seconds->text(), QStringLiteral("10"));
    secondsArrows->downButton()->click();
    EXPECT_EQ(seconds->text(), QStringLiteral("5"));
    secondsArrows->stepBy(-3);
    EXPECT_EQ(seconds->text(), QStringLiteral("0"));

    minutes->setText(QStringLiteral("99"));
    minutesArrows->stepBy(1);
    minutesArrows->stepBy(1);
    EXPECT_EQ(minutes->text(), QStringLiteral("100"));

    // Up and Down keys in the field step as well.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(minutes, &down);
    EXPECT_EQ(minutes->text(), QStringLiteral("99"));
}

TEST(UpDownTest, TypedValuesAreNotLimitedButTheArrowsClampThem) {
    QWidget parent;
    QLineEdit *field = MakeNumberField(&parent);
    TUpDown *arrows = MakeUpDown(field, 1, &parent);
    field->setEnabled(true);

    field->setText(QStringLiteral("250"));
    EXPECT_EQ(field->text(), QStringLiteral("250"));
    arrows->stepBy(-1);
    EXPECT_EQ(field->text(), QStringLiteral("99"));  // from the clamped 100

    field->setText(QStringLiteral("abc"));  // steps from the last position
    arrows->stepBy(1);
    EXPECT_EQ(field->text(), QStringLiteral("100"));
}

TEST(UpDownTest, FollowsItsFieldsEnabledState) {
    QWidget parent;
    QLineEdit *field = MakeNumberField(&parent);
    TUpDown *arrows = MakeUpDown(field, 1, &parent);
    EXPECT_FALSE(arrows->isEnabled());
    arrows->stepBy(1);
    EXPECT_EQ(field->text(), QStringLiteral("0"));  // a disabled field is left alone
    field->setEnabled(true);
    EXPECT_TRUE(arrows->isEnabled());
}
