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
        delete tipForm_.data();
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
    QPointer<TTipForm> tipForm_;
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
    ShowTipOfTheDay(tipForm_, &owner_, TipOccasion::OnRequest);
    ASSERT_NE(tipForm_.data(), nullptr);
    EXPECT_TRUE(tipForm_->isVisible());
    EXPECT_TRUE(tipForm_->isModal());
    EXPECT_FALSE(tipForm_->CheckBox1->isChecked());
    EXPECT_EQ(shownTip(*tipForm_), QStringLiteral("tip 3"));
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
    ShowTipOfTheDay(tipForm_, &owner_, TipOccasion::OnRequest);
    QPointer<TTipForm> form = tipForm_.data();
    ASSERT_TRUE(form);
    form->CheckBox1->setChecked(false);
    form->BtnNextClick();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(tipForm_.data(), nullptr);
    flushDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(readSetup(), QByteArray("[tips]\ntipno=4\nshowtip=1\n"));

    // A second showing is a fresh window; Close ends it too.
    ShowTipOfTheDay(tipForm_, &owner_, TipOccasion::OnRequest);
    form = tipForm_.data();
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(shownTip(*form), QStringLiteral("tip 5"));
    form->BtnClose->click();
    EXPECT_EQ(tipForm_.data(), nullptr);
    flushDeletes();
    EXPECT_TRUE(form.isNull());
}

TEST_F(TipFormTest, WithoutTipsStartupShowsNothingButTheMenuOpensAnEmptyWindow) {
    QFile::remove(dir_.filePath(QStringLiteral("tips.txt")));
    ShowTipOfTheDay(tipForm_, &owner_, TipOccasion::Startup);
    EXPECT_EQ(tipForm_.data(), nullptr);

    writeFile(QStringLiteral("tips.txt"), "\n\n");
    writeSetup("[tips]\ntipno=3\n");
    ShowTipOfTheDay(tipForm_, &owner_, TipOccasion::Startup);
    EXPECT_EQ(tipForm_.data(), nullptr);

    ShowTipOfTheDay(tipForm_, &owner_, TipOccasion::OnRequest);
    ASSERT_NE(tipForm_.data(), nullptr);
    EXPECT_EQ(tipForm_->TotalLine(), 0);
    EXPECT_TRUE(shownTip(*tipForm_).isEmpty());
    EXPECT_FALSE(tipForm_->BtnNext->isEnabled());
    tipForm_->BtnNextClick();
    EXPECT_EQ(tipForm_->CurrentTipNo(), 3);
    tipForm_->BtnCloseClick();
    EXPECT_EQ(tipForm_.data(), nullptr);
    EXPECT_EQ(readSetup(), QByteArray("[tips]\ntipno=3\n"));  // nothing changed, nothing written
}

TEST_F(TipFormTest, ASetupFileThatCannotBeWrittenIsReportedAndTheWindowCloses) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("setup.ini")));
    ShowTipOfTheDay(tipForm_, &owner_, TipOccasion::OnRequest);
    ASSERT_NE(tipForm_.data(), nullptr);
    QString reported;
    QTimer::singleShot(50, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            reported = box->text();
            box->accept();
        }
    });
    tipForm_->BtnCloseClick();
    EXPECT_EQ(reported, QStringLiteral("Unable to write to ") + setupIniPath());
    EXPECT_EQ(tipForm_.data(), nullptr);
}
