// The tip window: what it shows, what Close and the close box save, and the start-up choice.
#include "extras/tip_form.h"
#include "settings/app_paths.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

namespace {

class TipFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setExecutableDirectoryForTesting(dir_.path());
        writeTips(10);
    }
    void TearDown() override {
        delete TipForm;
        setExecutableDirectoryForTesting(QString());
    }

    void writeFile(const QString &name, const QByteArray &text) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void writeTips(int count) {
        QByteArray text;
        for (int i = 1; i <= count; ++i)
            text += "tip " + QByteArray::number(i) + "\n";
        writeFile(QStringLiteral("tips.txt"), text);
    }
    void writeSetup(const QByteArray &text) { writeFile(QStringLiteral("setup.ini"), text); }
    QByteArray readSetup() const {
        QFile file(dir_.filePath(QStringLiteral("setup.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Runs the deferred deletion that closing asks for.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir_;
    QWidget owner_;
};

QString shownTip(const TTipForm &form) {
    return form.RichEdit1->toPlainText();
}

}  // namespace

TEST_F(TipFormTest, AFreshInstallationShowsTipTwoAndCloseRemembersIt) {
    TTipForm form(&owner_);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tip of the Day"));
    EXPECT_EQ(form.size(), QSize(358, 295));
    EXPECT_EQ(shownTip(form), QStringLiteral("tip 2"));
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_EQ(form.BtnNext->text(), QStringLiteral("Next Tip"));
    EXPECT_EQ(form.CheckBox1->text(), QStringLiteral("Show Tips on Startup"));

    form.BtnCloseClick();  // only the key that changed: the box was already checked
    EXPECT_EQ(readSetup(), QByteArray("[tips]\ntipno=2\n"));

    TTipForm next(&owner_);
    EXPECT_EQ(shownTip(next), QStringLiteral("tip 3"));
}

TEST_F(TipFormTest, NextTipWrapsAndCloseStoresTheTipOnDisplay) {
    writeSetup("[tips]\ntipno=8\n");
    TTipForm form(&owner_);
    EXPECT_EQ(shownTip(form), QStringLiteral("tip 9"));
    form.BtnNext->click();
    EXPECT_EQ(shownTip(form), QStringLiteral("tip 10"));
    form.BtnNext->click();
    EXPECT_EQ(shownTip(form), QStringLiteral("tip 1"));
    form.BtnClose->click();
    EXPECT_EQ(readSetup(), QByteArray("[tips]\ntipno=1\n"));
}

TEST_F(TipFormTest, UncheckingAndClosingTurnsOffTheStartupTip) {
    ASSERT_TRUE(TipsWantedAtStartup());
    {
        TTipForm form(&owner_);
        form.CheckBox1->setChecked(false);
        form.BtnCloseClick();
    }
    EXPECT_EQ(readSetup(), QByteArray("[tips]\ntipno=2\nshowtip=0\n"));
    EXPECT_FALSE(TipsWantedAtStartup());

    // The menu still shows the window, with the box unchecked.
    ShowTipOfTheDay(&owner_, TipOccasion::OnRequest);
    ASSERT_NE(TipForm, nullptr);
    EXPECT_TRUE(TipForm->isVisible());
    EXPECT_TRUE(TipForm->isModal());
    EXPECT_FALSE(TipForm->CheckBox1->isChecked());
    EXPECT_EQ(shownTip(*TipForm), QStringLiteral("tip 3"));
}

TEST_F(TipFormTest, OnlyShowtipOneMeansShowAtStartup) {
    writeSetup("[tips]\nshowtip=2\n");
    EXPECT_FALSE(TipsWantedAtStartup());
    EXPECT_FALSE(TTipForm(&owner_).CheckBox1->isChecked());
    writeSetup("[tips]\nshowtip=1\n");
    EXPECT_TRUE(TipsWantedAtStartup());
}

TEST_F(TipFormTest, TheCloseBoxSavesNothingAndEveryCloseEndsTheWindow) {
    writeSetup("[tips]\ntipno=4\nshowtip=1\n");
    ShowTipOfTheDay(&owner_, TipOccasion::OnRequest);
    QPointer<TTipForm> form = TipForm;
    ASSERT_TRUE(form);
    form->CheckBox1->setChecked(false);
    form->BtnNextClick();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(TipForm, nullptr);
    flushDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(readSetup(), QByteArray("[tips]\ntipno=4\nshowtip=1\n"));

    // A second showing is a fresh window; Close ends it too.
    ShowTipOfTheDay(&owner_, TipOccasion::OnRequest);
    form = TipForm;
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(shownTip(*form), QStringLiteral("tip 5"));
    form->BtnClose->click();
    EXPECT_EQ(TipForm, nullptr);
    flushDeletes();
    EXPECT_TRUE(form.isNull());
}

TEST_F(TipFormTest, WithoutTipsStartupShowsNothingButTheMenuOpensAnEmptyWindow) {
    QFile::remove(dir_.filePath(QStringLiteral("tips.txt")));
    ShowTipOfTheDay(&owner_, TipOccasion::Startup);
    EXPECT_EQ(TipForm, nullptr);

    writeFile(QStringLiteral("tips.txt"), "\n\n");
    writeSetup("[tips]\ntipno=3\n");
    ShowTipOfTheDay(&owner_, TipOccasion::Startup);
    EXPECT_EQ(TipForm, nullptr);

    ShowTipOfTheDay(&owner_, TipOccasion::OnRequest);
    ASSERT_NE(TipForm, nullptr);
    EXPECT_EQ(TipForm->TotalLine(), 0);
    EXPECT_TRUE(shownTip(*TipForm).isEmpty());
    EXPECT_FALSE(TipForm->BtnNext->isEnabled());
    TipForm->BtnNextClick();
    EXPECT_EQ(TipForm->CurrentTipNo(), 3);
    TipForm->BtnCloseClick();
    EXPECT_EQ(TipForm, nullptr);
    EXPECT_EQ(readSetup(), QByteArray("[tips]\ntipno=3\n"));  // nothing changed, nothing written
}

TEST_F(TipFormTest, ASetupFileThatCannotBeWrittenIsReportedAndTheWindowCloses) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("setup.ini")));
    ShowTipOfTheDay(&owner_, TipOccasion::OnRequest);
    ASSERT_NE(TipForm, nullptr);
    QString reported;
    QTimer::singleShot(50, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            reported = box->text();
            box->accept();
        }
    });
    TipForm->BtnCloseClick();
    EXPECT_EQ(reported, QStringLiteral("Unable to write to ") + setupIniPath());
    EXPECT_EQ(TipForm, nullptr);
}
