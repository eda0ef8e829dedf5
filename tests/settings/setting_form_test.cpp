// The Options dialog: what it shows at opening, what OK takes over and writes, and what each
// failure leaves behind in memory and in setup.ini.
#include "settings/dialogs/setting_form.h"

#include "audio/codec/wma_profiles.h"
#include "settings/dialogs/time_limit_group.h"
#include "settings/ini_file.h"
#include "tests/settings/modal_answerer.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/test_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <memory>

namespace {

class SettingFormTest : public testsupport::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        loadAsAtStartUp();  // the defaults, as without setup.ini
    }
    void TearDown() override {
        if (!expectMessages) {
            EXPECT_TRUE(answerer.messages.empty()) << answerer.messages[0].text.toStdString();
        }
        SettingsFixture::TearDown();
    }

    std::unique_ptr<TSettingForm> open() {
        auto form = std::make_unique<TSettingForm>(testRecordingSettings(), testCaptureSettings(),
                                                   hooks(), nullptr);
        form->show();
        return form;
    }

    int iniInt(const char *section, const char *key) const {
        return IniFile(iniPath()).ReadInteger(QLatin1String(section), QLatin1String(key), -999);
    }

    void expectOneMessage(const QString &text, QMessageBox::Icon icon) {
        expectMessages = true;
        ASSERT_EQ(answerer.messages.size(), 1u);
        EXPECT_EQ(answerer.messages[0].text, text);
        EXPECT_EQ(answerer.messages[0].icon, icon);
        if (icon == QMessageBox::Information) {
            EXPECT_EQ(answerer.messages[0].title, QStringLiteral("Information"));
        }
    }

    // Answers every message box, so a failing test cannot hang on one.
    testsupport::ModalAnswerer answerer;
    bool expectMessages = false;
};

}  // namespace

TEST_F(SettingFormTest, OpensWithTheDefaultsWithoutSetupIni) {
    auto form = open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(form->size(), QSize(TSettingForm::kClientWidth, TSettingForm::kClientHeight));
    // Every control fits: nothing squeezed below its smallest size.
    EXPECT_LE(form->layout()->minimumSize().height(), form->height());
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->EdSavePath->text(), dir_.path() + QStringLiteral("/Recording/"));
    EXPECT_TRUE(form->RBMP3->isChecked());
    EXPECT_EQ(form->cbMP3->currentText(), QStringLiteral("44100 Hz, 128 kbps"));
    EXPECT_EQ(form->cbWAV->currentText(), QStringLiteral("44100 Hz - 16 bit,Stereo"));
    EXPECT_EQ(form->cbWMA->currentIndex(), 38);
    EXPECT_TRUE(form->cbMP3->isEnabled());
    for (QComboBox *list : {form->cbWAV, form->cbWMA, form->cbFLAC, form->cbOpus, form->cbVorbis})
        EXPECT_FALSE(list->isEnabled());
    EXPECT_EQ(form->RBFLAC->text(), QStringLiteral("FLAC"));
    EXPECT_EQ(form->RBOpus->text(), QStringLiteral("Ogg Opus"));
    EXPECT_EQ(form->RBVorbis->text(), QStringLiteral("Ogg Vorbis"));
    EXPECT_EQ(form->cbFLAC->currentText(), QStringLiteral("44100 Hz - 16 bit,Stereo"));
    EXPECT_EQ(form->cbOpus->currentText(), QStringLiteral("128 kbps,Stereo"));
    EXPECT_EQ(form->cbVorbis->currentText(), QStringLiteral("q5 (~160 kbps) - 44100 Hz,Stereo"));
    EXPECT_TRUE(form->RBNoLimit->isChecked());
    EXPECT_FALSE(form->CheckSplit->isChecked());
    for (QLineEdit *field : {form->Edit1, form->Edit2, form->Edit3, form->Edit4, form->Edit5}) {
        EXPECT_EQ(field->text(), QStringLiteral("0"));
        EXPECT_FALSE(field->isEnabled());
    }
    EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(SettingFormTest, EachWmaRowShowsTheProfileItStoresAndRecordsWith) {
    auto form = open();
    ASSERT_EQ(form->cbWMA->count(), korvanta::codec::wmaProfileCount());
    for (int row = 0; row < form->cbWMA->count(); ++row) {
        EXPECT_EQ(form->cbWMA->itemText(row),
                  korvanta::codec::wmaProfileText(korvanta::codec::wmaProfileForEncoding(row)))
            << row;
    }
    EXPECT_EQ(form->cbWMA->itemText(38), QStringLiteral("44100 Hz, 128 kbps, stereo"));

    form->RBWMA->click();
    EXPECT_TRUE(form->cbWMA->isEnabled() && !form->cbMP3->isEnabled());
    form->cbWMA->setCurrentIndex(3);
    form->BtnOK->click();
    EXPECT_EQ(testRecordingSettings().ext, QStringLiteral(".wma"));
    EXPECT_EQ(testRecordingSettings().WMAProfile, 3);
    EXPECT_EQ(iniInt("wma", "profile"), 3);
    EXPECT_EQ(open()->cbWMA->currentIndex(), 3);
}

TEST_F(SettingFormTest, OpensOnTheStoredFormatLimitAndRows) {
    writeIni("[options]\nsaveformat=.Wav\ntimelimit=3725\n[mp3]\nind=10\n[wav]\nind=9\n");
    loadAsAtStartUp();
    auto form = open();
    EXPECT_TRUE(form->RBWAV->isChecked());
    EXPECT_TRUE(form->cbWAV->isEnabled() && !form->cbMP3->isEnabled());
    EXPECT_TRUE(form->RBLimit->isChecked());
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("1"));
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("2"));
    EXPECT_EQ(form->Edit3->text(), QStringLiteral("5"));
    EXPECT_TRUE(form->Edit3->isEnabled());
    EXPECT_EQ(form->cbMP3->currentIndex(), -1);  // a stored row outside the list
    EXPECT_EQ(form->cbWAV->currentText(), QStringLiteral("22050 Hz - 16 bit,Mono"));
}

TEST_F(SettingFormTest, OkWithWav22050MonoAppliesAndWritesWhatChanged) {
    // Edited by hand, or by another copy of the program, after this one started.
    writeIni("; my notes\n[other]\nfoo=bar\n[options]\ncustom=1\n[wma]\nprofile=7\n");
    RecordingSettings &s = testRecordingSettings();
    s.MP3Freq = 22050;  // an earlier MP3 choice, which a WAV OK keeps
    s.MP3Bitrate = 64;

    auto form = open();
    form->cbMP3->setCurrentIndex(9);  // changed, then WAV chosen after all
    form->RBWAV->click();
    form->cbWAV->setCurrentIndex(9);
    form->RBLimit->click();
    form->Edit2->setText(QStringLiteral("90"));
    form->CheckSplit->click();
    form->Edit4->setText(QStringLiteral("2"));
    form->Edit5->setText(QStringLiteral("30"));
    form->EdSavePath->setText(QStringLiteral("/data/rec"));
    form->BtnOK->click();

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(s.ext, QStringLiteral(".wav"));
    EXPECT_EQ(s.WAVFreq, 22050);
    EXPECT_EQ(s.WAVBPS, 16);
    EXPECT_EQ(s.WAVCh, 1);
    EXPECT_EQ(s.MP3Freq, 22050);
    EXPECT_EQ(s.MP3Bitrate, 64);
    EXPECT_EQ(s.SavePath, QStringLiteral("/data/rec/"));
    EXPECT_EQ(s.RecordTime, 5400);
    EXPECT_TRUE(s.flgSplit);
    EXPECT_EQ(s.SplitTime, 150);
    EXPECT_EQ(setFormatCalls, 1);
    ASSERT_EQ(indicator.size(), 1u);
    EXPECT_EQ(indicator[0],
              std::make_pair(true, QStringLiteral("Auto stop recording is set to 90:00")));

    // Unchanged values (16 bit, the WMA profile, the other formats) are not written back, so
    // the hand-edited profile stays.
    EXPECT_EQ(readIni().toStdString(),
              "; my notes\n[other]\nfoo=bar\n[options]\ncustom=1\nsavepath=/data/rec/\n"
              "saveformat=.wav\ntimelimit=5400\n[wma]\nprofile=7\n\n"
              "[mp3]\nbitrate=64\nfreq=22050\nind=9\n\n[wav]\nfreq=22050\nch=1\nind=9\n");

    auto again = open();  // the split interval is kept in memory for the next opening
    EXPECT_TRUE(again->CheckSplit->isChecked() && again->Edit4->isEnabled());
    EXPECT_EQ(again->Edit4->text(), QStringLiteral("2"));
    EXPECT_EQ(again->Edit5->text(), QStringLiteral("30"));
}

TEST_F(SettingFormTest, EachNewFormatRowIsTakenWrittenAndShownAgain) {
    struct Case {
        QRadioButton *TSettingForm::*button;
        QComboBox *TSettingForm::*list;
        int row;
        const char *ext;
        const char *section;
    };
    const Case cases[] = {
        {&TSettingForm::RBFLAC, &TSettingForm::cbFLAC, 7, ".flac", "flac"},
        {&TSettingForm::RBOpus, &TSettingForm::cbOpus, 1, ".opus", "opus"},
        {&TSettingForm::RBVorbis, &TSettingForm::cbVorbis, 43, ".ogg", "vorbis"},
    };
    for (const Case &c : cases) {
        auto form = open();
        (form.get()->*c.button)->click();
        QComboBox *list = form.get()->*c.list;
        EXPECT_TRUE(list->isEnabled() && !form->cbMP3->isEnabled()) << c.ext;
        list->setCurrentIndex(c.row);
        form->BtnOK->click();
        EXPECT_EQ(testRecordingSettings().ext, QLatin1String(c.ext));
        EXPECT_EQ(iniInt(c.section, "ind"), c.row);
        loadAsAtStartUp();  // as the next run reads it
        auto again = open();
        EXPECT_TRUE((again.get()->*c.button)->isChecked()) << c.ext;
        EXPECT_EQ((again.get()->*c.list)->currentIndex(), c.row) << c.ext;
    }
    const RecordingSettings &s = testRecordingSettings();
    EXPECT_EQ(s.FLACFreq, 16000);  // row 7: 16000 Hz, mono
    EXPECT_EQ(s.FLACCh, 1);
    EXPECT_EQ(s.OpusBitrate, 24);  // row 1: 24 kbps, mono
    EXPECT_EQ(s.OpusCh, 1);
    EXPECT_EQ(s.VorbisQuality, 10);  // row 43: q10, 48000 Hz, mono
    EXPECT_EQ(s.VorbisFreq, 48000);
    EXPECT_EQ(s.VorbisCh, 1);
}

TEST_F(SettingFormTest, ListsWithoutASelectionGiveTheirFallbackValues) {
    auto form = open();
    form->cbMP3->setEditText(QStringLiteral("96 kbps please"));  // names no row
    form->BtnOK->click();
    EXPECT_EQ(testRecordingSettings().MP3Freq, 44100);
    EXPECT_EQ(testRecordingSettings().MP3Bitrate, 128);
    EXPECT_EQ(iniInt("mp3", "ind"), -1);

    RecordingSettings &s = testRecordingSettings();
    s.WAVBPS = 8;
    s.WAVCh = 1;
    auto second = open();
    EXPECT_EQ(second->cbMP3->currentIndex(), -1);
    EXPECT_EQ(second->cbMP3->currentText(), QString());
    second->RBWAV->click();
    second->cbWAV->setCurrentIndex(-1);
    second->BtnOK->click();
    EXPECT_EQ(s.WAVFreq, 8000);
    EXPECT_EQ(s.WAVBPS, 8);
    EXPECT_EQ(s.WAVCh, 1);
}

TEST_F(SettingFormTest, AnUnknownExtensionOpensOnMp3AndOkMakesItMp3) {
    writeIni("[options]\nsaveformat=.aac\n");
    loadAsAtStartUp();
    auto form = open();
    EXPECT_TRUE(form->RBMP3->isChecked() && form->cbMP3->isEnabled());
    form->BtnOK->click();
    EXPECT_EQ(testRecordingSettings().ext, QStringLiteral(".mp3"));
}

TEST_F(SettingFormTest, NoLimitAndAnEmptyLimit) {
    testRecordingSettings().RecordTime = 90;
    auto form = open();
    form->RBNoLimit->click();
    form->BtnOK->click();
    EXPECT_EQ(iniInt("options", "timelimit"), -999);  // no limit, as the file says already
    ASSERT_EQ(indicator.size(), 1u);
    EXPECT_EQ(indicator[0], std::make_pair(false, QStringLiteral("No Auto stop.")));

    auto second = open();
    second->RBLimit->click();
    for (QLineEdit *field : {second->Edit1, second->Edit2, second->Edit3})
        field->clear();
    second->BtnOK->click();
    EXPECT_EQ(iniInt("options", "timelimit"), 0);
    EXPECT_EQ(indicator.back(),
              std::make_pair(true, QStringLiteral("Auto stop recording is set to 00:00")));
    EXPECT_TRUE(open()->RBNoLimit->isChecked());  // 0 is no limit to show
}

TEST_F(SettingFormTest, SplitOffKeepsTheIntervalAndZeroIsKept) {
    RecordingSettings &s = testRecordingSettings();
    s.flgSplit = true;
    s.SplitTime = 75;
    auto form = open();
    EXPECT_EQ(form->Edit4->text(), QStringLiteral("1"));
    EXPECT_EQ(form->Edit5->text(), QStringLiteral("15"));
    form->CheckSplit->click();
    form->BtnOK->click();
    EXPECT_FALSE(s.flgSplit);
    EXPECT_EQ(s.SplitTime, 75);

    auto zero = open();
    EXPECT_FALSE(zero->CheckSplit->isChecked());
    zero->CheckSplit->click();
    zero->Edit4->setText(QStringLiteral("0"));
    zero->BtnOK->click();
    EXPECT_TRUE(s.flgSplit);
    EXPECT_EQ(s.SplitTime, 0);
    EXPECT_TRUE(open()->CheckSplit->isChecked());
}

TEST_F(SettingFormTest, ABadLimitFieldKeepsTheFirstStepsInMemoryOnly) {
    writeIni("[options]\nsavepath=/old/\n");
    const QByteArray before = readIni();
    auto form = open();
    form->EdSavePath->setText(QStringLiteral("/new"));
    form->RBWAV->click();
    form->cbWAV->setCurrentIndex(0);
    form->RBLimit->click();
    form->Edit1->setText(QStringLiteral("one"));
    form->CheckSplit->click();
    form->BtnOK->click();

    expectOneMessage(QStringLiteral("Please input correct integer number!"),
                     QMessageBox::Information);
    EXPECT_TRUE(form->isVisible());
    const RecordingSettings &s = testRecordingSettings();
    EXPECT_EQ(s.SavePath, QStringLiteral("/new/"));
    EXPECT_EQ(s.ext, QStringLiteral(".wav"));
    EXPECT_EQ(s.WAVFreq, 8000);
    EXPECT_EQ(s.RecordTime, -1);
    EXPECT_FALSE(s.flgSplit);
    EXPECT_TRUE(indicator.empty());
    EXPECT_EQ(setFormatCalls, 0);
    EXPECT_EQ(readIni(), before);
}

TEST_F(SettingFormTest, ABadSplitFieldIsReportedAfterTheLimitWasTaken) {
    testRecordingSettings().SplitTime = 40;
    auto form = open();
    form->RBLimit->click();
    form->Edit3->setText(QStringLiteral("30"));
    form->CheckSplit->click();
    form->Edit5->clear();
    form->BtnOK->click();

    expectOneMessage(QStringLiteral("'' is not a valid integer value"), QMessageBox::Critical);
    EXPECT_TRUE(form->isVisible());
    const RecordingSettings &s = testRecordingSettings();
    EXPECT_EQ(s.RecordTime, 30);
    EXPECT_TRUE(s.flgSplit);
    EXPECT_EQ(s.SplitTime, 40);
    EXPECT_EQ(setFormatCalls, 0);
    EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(SettingFormTest, AnEmptySavePathIsRefusedAndNothingIsTaken) {
    const RecordingSettings old = testRecordingSettings();
    auto form = open();
    form->EdSavePath->setText(QStringLiteral("  "));
    form->RBWAV->click();
    form->BtnOK->click();

    expectOneMessage(QStringLiteral("Please select a directory to save output files."),
                     QMessageBox::Information);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(testRecordingSettings().SavePath, old.SavePath);
    EXPECT_EQ(testRecordingSettings().ext, old.ext);
    EXPECT_EQ(setFormatCalls, 0);
    EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(SettingFormTest, AFailedSaveIsReportedAndTheDialogStaysOpen) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("setup.ini")));  // in the way
    auto form = open();
    form->RBWAV->click();
    form->BtnOK->click();

    expectOneMessage(QStringLiteral("Unable to write to ") + iniPath(), QMessageBox::Critical);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(testRecordingSettings().ext, QStringLiteral(".wav"));
    EXPECT_EQ(setFormatCalls, 1);
}

TEST_F(SettingFormTest, ThePickedFolderIsTakenAtOnceEvenWhenCancelled) {
    auto form = open();
    QString askedTitle;
    QString answer = QStringLiteral("/music/takes");
    form->setFolderPicker([&](QWidget *, const QString &title) {
        askedTitle = title;
        return answer;
    });
    form->SpeedBtnSelect->click();
    EXPECT_EQ(askedTitle, QStringLiteral("Select a directory to save output files"));
    EXPECT_EQ(form->EdSavePath->text(), QStringLiteral("/music/takes/"));
    EXPECT_EQ(testRecordingSettings().SavePath, QStringLiteral("/music/takes/"));

    answer.clear();  // picker cancelled
    form->SpeedBtnSelect->click();
    EXPECT_EQ(form->EdSavePath->text(), QStringLiteral("/music/takes/"));

    form->EdSavePath->setText(QStringLiteral("/elsewhere/"));
    form->RBWAV->click();
    form->RBLimit->click();
    form->CheckSplit->click();
    form->close();  // the close box, like Cancel, applies nothing else
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(testRecordingSettings().SavePath, QStringLiteral("/music/takes/"));
    EXPECT_EQ(testRecordingSettings().ext, QStringLiteral(".mp3"));
    EXPECT_FALSE(testRecordingSettings().flgSplit);
    EXPECT_TRUE(indicator.empty());
    EXPECT_EQ(setFormatCalls, 0);
    EXPECT_FALSE(QFile::exists(iniPath()));
}
