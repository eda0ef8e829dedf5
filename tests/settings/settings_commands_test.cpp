// The main window's settings commands: the auto-stop button and the Options dialog opened from
// the menu and the tool bar, each opening a fresh modal dialog owned by the window.
#include "app/tform1.h"
#include "audio/audio_file2.h"
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "tests/settings/modal_answerer.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/test_backend.h"
#include "tests/support/test_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using testsupport::ModalAnswerer;

namespace {

class SettingsCommandsTest : public testsupport::SettingsFixture {};

// Sets a limit of `seconds` seconds in the auto-stop dialog and confirms it.
std::function<void(QWidget *)> confirmLimit(const QString &seconds) {
    return [seconds](QWidget *modal) {
        auto *form = qobject_cast<TTimeLimitForm *>(modal);
        ASSERT_NE(form, nullptr);
        form->RBLimit->click();
        form->Edit3->setText(seconds);
        form->BtnOK->click();
    };
}

void cancel(QWidget *modal) {
    if (auto *form = qobject_cast<TTimeLimitForm *>(modal))
        form->BtnCancel->click();
    else if (auto *options = qobject_cast<TSettingForm *>(modal))
        options->BtnCancel->click();
}

}  // namespace

TEST_F(SettingsCommandsTest, ThePressedAutoStopButtonClearsTheLimitWithoutADialog) {
    writeIni("[options]\ntimelimit=90\n");
    const QByteArray before = readIni();
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    ASSERT_TRUE(window.ToolBtnAutostop->isChecked());

    ModalAnswerer answerer(cancel);
    window.ToolBtnAutostop->click();
    EXPECT_TRUE(answerer.dialogTitles.empty());
    EXPECT_EQ(testRecordingSettings().RecordTime, -1);
    EXPECT_FALSE(window.ToolBtnAutostop->isChecked());
    EXPECT_EQ(window.ToolBtnAutostop->toolTip(), QStringLiteral("No Auto Stop"));
    EXPECT_EQ(readIni(), before);  // only closing the window writes the cleared limit

    // Released now, so the next click asks for a limit; cancelling keeps it released.
    window.ToolBtnAutostop->click();
    ASSERT_EQ(answerer.dialogTitles.size(), 1u);
    EXPECT_EQ(answerer.dialogTitles[0], QStringLiteral("Auto Stop Settings"));
    EXPECT_FALSE(window.ToolBtnAutostop->isChecked());
    EXPECT_EQ(testRecordingSettings().RecordTime, -1);
    EXPECT_TRUE(window.timeLimitForm() == nullptr);
}

TEST_F(SettingsCommandsTest, ALimitSetInTheDialogPressesTheButtonAndIsWrittenAtClose) {
    {
        TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
        ModalAnswerer answerer([&window](QWidget *modal) {
            EXPECT_EQ(modal->parentWidget(), &window);
            EXPECT_EQ(window.timeLimitForm(), modal);
            confirmLimit(QStringLiteral("5"))(modal);
        });
        window.ToolBtnAutostop->click();
        EXPECT_EQ(answerer.dialogTitles.size(), 1u);
        EXPECT_EQ(testRecordingSettings().RecordTime, 5);
        EXPECT_TRUE(window.ToolBtnAutostop->isChecked());
        EXPECT_EQ(window.ToolBtnAutostop->toolTip(),
                  QStringLiteral("Auto stop recording is set to 00:05"));
        EXPECT_TRUE(window.timeLimitForm() == nullptr);
        window.close();
    }
    testRecordingSettings() = RecordingSettings();
    TForm1 restarted(testBackend(), testRecordingSettings(), testCaptureSettings());
    EXPECT_EQ(testRecordingSettings().RecordTime, 5);
    EXPECT_TRUE(restarted.ToolBtnAutostop->isChecked());
}

TEST_F(SettingsCommandsTest, ALimitOfZeroStaysPressedUntilTheNextStart) {
    {
        TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
        {
            ModalAnswerer setZero(confirmLimit(QString()));
            window.ToolBtnAutostop->click();
        }
        EXPECT_EQ(testRecordingSettings().RecordTime, 0);
        EXPECT_TRUE(window.ToolBtnAutostop->isChecked());

        // 0 is no limit, so a click asks for one instead of clearing.
        ModalAnswerer cancelling(cancel);
        window.ToolBtnAutostop->click();
        EXPECT_EQ(cancelling.dialogTitles.size(), 1u);
        EXPECT_TRUE(window.ToolBtnAutostop->isChecked());
        EXPECT_EQ(testRecordingSettings().RecordTime, 0);
        window.close();
    }
    TForm1 restarted(testBackend(), testRecordingSettings(), testCaptureSettings());
    EXPECT_EQ(testRecordingSettings().RecordTime, 0);
    EXPECT_FALSE(restarted.ToolBtnAutostop->isChecked());
}

// Another copy of the program, or the user, changes setup.ini while this window runs: closing
// writes the limit only when this run changed it, and nothing else.
TEST_F(SettingsCommandsTest, ClosingWritesTheLimitOnlyWhenThisRunChangedIt) {
    writeIni("[options]\ntimelimit=90\n");
    {
        TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
        writeIni("[options]\ntimelimit=30\nsaveformat=.flac\n");
        window.close();
    }
    EXPECT_EQ(readIni().toStdString(), "[options]\ntimelimit=30\nsaveformat=.flac\n");

    testRecordingSettings() = RecordingSettings();
    {
        TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
        ModalAnswerer answerer(cancel);
        window.ToolBtnAutostop->click();  // pressed: clears the limit without a dialog
        writeIni("[options]\ntimelimit=45\nsaveformat=.ogg\n");
        window.close();
    }
    EXPECT_EQ(readIni().toStdString(), "[options]\ntimelimit=-1\nsaveformat=.ogg\n");
}

TEST_F(SettingsCommandsTest, OptionsOpensFromMenuAndToolBarAsAFreshDialogEachTime) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    int openings = 0;
    ModalAnswerer answerer([&](QWidget *modal) {
        auto *form = qobject_cast<TSettingForm *>(modal);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->parentWidget(), &window);
        EXPECT_EQ(window.settingForm(), form);
        // Left unchecked by the cancelled opening before.
        EXPECT_FALSE(form->CheckSplit->isChecked());
        form->CheckSplit->click();
        ++openings;
        form->BtnCancel->click();
    });
    window.Options2->trigger();
    window.ToolBtnOptions->click();
    EXPECT_EQ(openings, 2);
    EXPECT_TRUE(window.settingForm() == nullptr);
    EXPECT_EQ(window.Options2->shortcut(), QKeySequence(Qt::Key_F2));

    window.flgRecord = true;  // no format changes under a running recording
    window.Options2Click();
    EXPECT_EQ(openings, 2);
}

TEST_F(SettingsCommandsTest, OptionsOkAppliesTheFormatAndSurvivesARestart) {
    {
        TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
        ModalAnswerer answerer([](QWidget *modal) {
            auto *form = qobject_cast<TSettingForm *>(modal);
            ASSERT_NE(form, nullptr);
            form->RBWAV->click();
            form->cbWAV->setCurrentIndex(9);  // 22050 Hz - 16 bit,Mono
            form->RBLimit->click();
            form->Edit2->setText(QStringLiteral("2"));
            form->CheckSplit->click();
            form->Edit5->setText(QStringLiteral("45"));
            form->BtnOK->click();
        });
        window.Options2Click();
        // SetFormat ran: the writing file component took the new format.
        const QString format = window.AudioFile2->FormatString();
        EXPECT_TRUE(format.contains(QStringLiteral("22050")) &&
                    format.contains(QStringLiteral("mono")))
            << format.toStdString();
        EXPECT_TRUE(window.ToolBtnAutostop->isChecked());
        EXPECT_EQ(window.ToolBtnAutostop->toolTip(),
                  QStringLiteral("Auto stop recording is set to 02:00"));
        EXPECT_TRUE(testRecordingSettings().flgSplit);
        EXPECT_EQ(testRecordingSettings().SplitTime, 45);
    }
    testRecordingSettings() = RecordingSettings();
    TForm1 restarted(testBackend(), testRecordingSettings(), testCaptureSettings());
    const RecordingSettings &s = testRecordingSettings();
    EXPECT_EQ(s.ext, QStringLiteral(".wav"));
    EXPECT_EQ(s.WAVFreq, 22050);
    EXPECT_EQ(s.WAVBPS, 16);
    EXPECT_EQ(s.WAVCh, 1);
    EXPECT_EQ(s.RecordTime, 120);
    EXPECT_FALSE(s.flgSplit);  // the split interval is not kept across runs
    EXPECT_TRUE(restarted.ToolBtnAutostop->isChecked());
}
