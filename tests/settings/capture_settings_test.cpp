// The listening and voice-activation settings: reading with their checks, writing only what
// changed, and the Options dialog's "Listening" page round trip.
#include "settings/capture_settings.h"
#include "settings/dialogs/listening_page.h"
#include "settings/dialogs/setting_form.h"
#include "tests/settings/modal_answerer.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/test_settings.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <memory>

namespace {

class CaptureSettingsTest : public testsupport::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        testCaptureSettings() = CaptureSettings();
        loadAsAtStartUp();
    }
    void TearDown() override {
        testCaptureSettings() = CaptureSettings();
        SettingsFixture::TearDown();
    }
    testsupport::ModalAnswerer answerer;
};

}  // namespace

TEST_F(CaptureSettingsTest, WithoutKeysEverythingIsOffAndOddValuesAreBroughtIntoRange) {
    const CaptureSettings none = LoadCaptureSettings(iniPath());
    EXPECT_EQ(none, CaptureSettings());
    EXPECT_EQ(none.preRecordSeconds, 0);
    EXPECT_FALSE(none.showLevelWhileStopped || none.voiceStart || none.voicePause);
    EXPECT_FALSE(none.listensWhileIdle());

    writeIni(
        "[capture]\nprerecord=45\nmonitor=2\nvoicestart=1\nvoicelevel=-90\n"
        "voicepause=yes\nvoicesilence=0\n");
    CaptureSettings odd = LoadCaptureSettings(iniPath());
    EXPECT_EQ(odd.preRecordSeconds, 30);
    EXPECT_FALSE(odd.showLevelWhileStopped);  // neither 0 nor 1: the default
    EXPECT_TRUE(odd.voiceStart);
    EXPECT_EQ(odd.voiceLevelDb, -60);
    EXPECT_FALSE(odd.voicePause);
    EXPECT_EQ(odd.silenceSeconds, 1);

    writeIni("[capture]\nprerecord=-4\nvoicelevel=12\nvoicesilence=100000\n");
    odd = LoadCaptureSettings(iniPath());
    EXPECT_EQ(odd.preRecordSeconds, 0);
    EXPECT_EQ(odd.voiceLevelDb, -1);
    EXPECT_EQ(odd.silenceSeconds, 600);
}

TEST_F(CaptureSettingsTest, SavingWritesOnlyWhatChanged) {
    writeIni("[options]\nsaveformat=.wav\n");
    QString error;
    const CaptureSettings atStart = LoadCaptureSettings(iniPath());
    ASSERT_TRUE(SaveCaptureSettings(atStart, atStart, iniPath(), &error));
    EXPECT_EQ(readIni(), "[options]\nsaveformat=.wav\n");  // all defaults: nothing added

    CaptureSettings s;
    s.preRecordSeconds = 5;
    s.voicePause = true;
    ASSERT_TRUE(SaveCaptureSettings(s, atStart, iniPath(), &error));
    EXPECT_EQ(readIni(), "[options]\nsaveformat=.wav\n\n[capture]\nprerecord=5\nvoicepause=1\n");
    const CaptureSettings before = s;
    s = CaptureSettings();  // switched off again: the keys stay, with the default values
    ASSERT_TRUE(SaveCaptureSettings(s, before, iniPath(), &error));
    EXPECT_EQ(LoadCaptureSettings(iniPath()), CaptureSettings());
}

TEST_F(CaptureSettingsTest, OptionsListeningPageRoundTrip) {
    auto form = std::make_unique<TSettingForm>(testRecordingSettings(), testCaptureSettings(),
                                               hooks(), nullptr);
    form->show();
    EXPECT_EQ(form->size(), QSize(TSettingForm::kClientWidth, TSettingForm::kClientHeight));
    ASSERT_EQ(form->PageOptions->count(), 2);
    EXPECT_EQ(form->PageOptions->tabText(1), QStringLiteral("Listening"));
    TListeningPage *page = form->PageListening;
    form->PageOptions->setCurrentIndex(1);
    // Everything on the page fits in the fixed dialog.
    EXPECT_LE(page->minimumSizeHint().width(), page->width());
    EXPECT_LE(page->minimumSizeHint().height(), page->height());
    EXPECT_EQ(page->SpinPreRecord->value(), 0);
    EXPECT_FALSE(page->CheckMonitor->isChecked() || page->CheckVoiceStart->isChecked() ||
                 page->CheckVoicePause->isChecked());
    EXPECT_FALSE(page->SpinVoiceLevel->isEnabled() || page->SpinSilence->isEnabled());

    page->SpinPreRecord->setValue(12);
    page->CheckMonitor->setChecked(true);
    page->CheckVoiceStart->setChecked(true);
    EXPECT_TRUE(page->SpinVoiceLevel->isEnabled());
    page->SpinVoiceLevel->setValue(-42);
    page->CheckVoicePause->setChecked(true);
    page->SpinSilence->setValue(7);
    form->BtnOK->click();
    EXPECT_FALSE(form->isVisible());

    const CaptureSettings stored = LoadCaptureSettings(iniPath());
    EXPECT_EQ(stored, testCaptureSettings());
    EXPECT_EQ(stored.preRecordSeconds, 12);
    EXPECT_TRUE(stored.showLevelWhileStopped && stored.voiceStart && stored.voicePause);
    EXPECT_EQ(stored.voiceLevelDb, -42);
    EXPECT_EQ(stored.silenceSeconds, 7);

    auto again = std::make_unique<TSettingForm>(testRecordingSettings(), testCaptureSettings(),
                                                hooks(), nullptr);
    again->show();
    EXPECT_EQ(again->PageListening->settings(), stored);
    // Cancel takes nothing over.
    again->PageListening->SpinPreRecord->setValue(1);
    again->BtnCancel->click();
    EXPECT_EQ(testCaptureSettings().preRecordSeconds, 12);
    EXPECT_TRUE(answerer.messages.empty());
}
