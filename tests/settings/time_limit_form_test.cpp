// The auto-stop dialog and the number fields with up-down arrows it shares with the Options
// dialog.
#include "settings/dialogs/time_limit_form.h"
#include "settings/dialogs/time_limit_group.h"
#include "settings/dialogs/up_down.h"
#include "tests/settings/modal_answerer.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/test_settings.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

class TimeLimitFormTest : public testsupport::SettingsFixture {
protected:
    std::unique_ptr<TTimeLimitForm> openWithLimit(const char *h, const char *m, const char *s) {
        auto form = std::make_unique<TTimeLimitForm>(testRecordingSettings(), hooks(), nullptr);
        form->show();
        form->RBLimit->click();
        form->Edit1->setText(QString::fromLatin1(h));
        form->Edit2->setText(QString::fromLatin1(m));
        form->Edit3->setText(QString::fromLatin1(s));
        return form;
    }
};

}  // namespace

TEST_F(TimeLimitFormTest, OpensOnNoLimitWithItsFieldsAtZeroAndDisabled) {
    TTimeLimitForm form(testRecordingSettings(), hooks(), nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Auto Stop Settings"));
    EXPECT_EQ(form.size(), QSize(303, 132));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.RBNoLimit->isChecked());
    for (QLineEdit *field : {form.Edit1, form.Edit2, form.Edit3}) {
        EXPECT_EQ(field->text(), QStringLiteral("0"));
        EXPECT_FALSE(field->isEnabled());
    }
    form.RBLimit->click();
    EXPECT_TRUE(form.Edit1->isEnabled() && form.Edit3->isEnabled() && form.UpDown3->isEnabled());
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
                          Case{"", "", "", 0, "00:00"}}) {
        indicator.clear();
        auto form = openWithLimit(c.h, c.m, c.s);
        form->BtnOK->click();
        EXPECT_EQ(testRecordingSettings().RecordTime, c.seconds);
        ASSERT_EQ(indicator.size(), 1u);
        EXPECT_EQ(indicator[0],
                  std::make_pair(true, QStringLiteral("Auto stop recording is set to ") +
                                           QLatin1String(c.time)));
        EXPECT_FALSE(form->isVisible());
    }
    EXPECT_FALSE(QFile::exists(iniPath()));  // the limit reaches the file later
}

TEST_F(TimeLimitFormTest, NoLimitClearsTheLimitAndCancelChangesNothing) {
    testRecordingSettings().RecordTime = 0;
    openWithLimit("0", "0", "5")->BtnCancel->click();
    openWithLimit("0", "0", "5")->close();
    EXPECT_EQ(testRecordingSettings().RecordTime, 0);
    EXPECT_TRUE(indicator.empty());

    TTimeLimitForm form(testRecordingSettings(), hooks(), nullptr);
    form.show();
    form.BtnOK->click();
    EXPECT_EQ(testRecordingSettings().RecordTime, -1);
    ASSERT_EQ(indicator.size(), 1u);
    EXPECT_EQ(indicator[0], std::make_pair(false, QStringLiteral("No Auto stop.")));
}

TEST_F(TimeLimitFormTest, AFieldThatIsNotAnIntegerIsAnsweredAndTheDialogStaysOpen) {
    testsupport::ModalAnswerer answerer;
    auto form = openWithLimit("0", "1.5", "0");
    form->BtnOK->click();
    ASSERT_EQ(answerer.messages.size(), 1u);
    EXPECT_EQ(answerer.messages[0].title, QStringLiteral("Information"));
    EXPECT_EQ(answerer.messages[0].text, QStringLiteral("Please input correct integer number!"));
    EXPECT_EQ(answerer.messages[0].icon, QMessageBox::Information);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(testRecordingSettings().RecordTime, -1);
    EXPECT_TRUE(indicator.empty());
}

TEST(UpDownTest, StepsWithinItsRangeAndLeavesTypedValuesAlone) {
    QWidget parent;
    QLineEdit *field = MakeNumberField(&parent);
    TUpDown *seconds = MakeUpDown(field, 5, &parent);
    seconds->stepBy(1);
    EXPECT_EQ(field->text(), QStringLiteral("0"));  // follows its disabled field
    field->setEnabled(true);
    EXPECT_TRUE(seconds->isEnabled());

    seconds->upButton()->click();
    seconds->upButton()->click();
    seconds->downButton()->click();
    EXPECT_EQ(field->text(), QStringLiteral("5"));
    seconds->stepBy(-3);
    EXPECT_EQ(field->text(), QStringLiteral("0"));  // no wrapping

    field->setText(QStringLiteral("250"));  // typed: not limited until the arrows are used
    EXPECT_EQ(field->text(), QStringLiteral("250"));
    seconds->stepBy(1);
    EXPECT_EQ(field->text(), QStringLiteral("100"));
    field->setText(QStringLiteral("abc"));  // steps from the last position
    seconds->stepBy(-1);
    EXPECT_EQ(field->text(), QStringLiteral("95"));
}
