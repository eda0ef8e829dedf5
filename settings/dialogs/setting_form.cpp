#include "settings/dialogs/setting_form.h"

#include "audio/audio_file2.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/dialogs/dialog_messages.h"
#include "settings/dialogs/listening_page.h"
#include "settings/dialogs/time_limit_group.h"
#include "settings/field_values.h"
#include "settings/format_tables.h"
#include "settings/recording_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>

#include <utility>

namespace {

constexpr int kMaxWmaDescriptionLength = 100;

// The output directory is used as a prefix of every output name, so it must end in "/".
QString withTrailingSeparator(const QString &path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// The row a list stands on. The lists take typed text, and a text that names no row selects
// none, whatever row was chosen before the typing.
int selectedRow(const QComboBox *list) {
    if (!list->isEditable())
        return list->currentIndex();
    return list->findText(list->currentText());
}

void selectStoredRow(QComboBox *list, int row) {
    list->setCurrentIndex(row >= 0 && row < list->count() ? row : -1);
}

QString pickFolder(QWidget *parent, const QString &title) {
    return QFileDialog::getExistingDirectory(parent, title, QDir::rootPath(),
                                             QFileDialog::ShowDirsOnly);
}

}  // namespace

TSettingForm::TSettingForm(RecordingSettings &recording, CaptureSettings &capture,
                           MainWindowHooks hooks, QWidget *parent)
    : QDialog(parent),
      AudioFile1(std::make_unique<TAudioFile2>()),
      recording_(recording),
      capture_(capture),
      hooks_(std::move(hooks)),
      folderPicker_(pickFolder) {
    buildUi();
    connectControls();
    FormCreate();
}

TSettingForm::~TSettingForm() = default;

void TSettingForm::connectControls() {
    // toggled, not clicked: a button checked from code must have the same effect as a click.
    const auto onCheck = [this](QAbstractButton *button, void (TSettingForm::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                (this->*handler)();
        });
    };
    onCheck(RBMP3, &TSettingForm::RBMP3Click);
    onCheck(RBWAV, &TSettingForm::RBWAVClick);
    onCheck(RBWMA, &TSettingForm::RBWMAClick);
    onCheck(RBFLAC, &TSettingForm::RBFLACClick);
    onCheck(RBOpus, &TSettingForm::RBOpusClick);
    onCheck(RBVorbis, &TSettingForm::RBVorbisClick);
    connect(CheckSplit, &QCheckBox::toggled, this, &TSettingForm::CheckSplitClick);
    connect(SpeedBtnSelect, &QToolButton::clicked, this, &TSettingForm::SpeedBtnSelectClick);
    connect(BtnOK, &QPushButton::clicked, this, &TSettingForm::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TSettingForm::BtnCancelClick);
}

void TSettingForm::FormCreate() {
    InitComboBox();
    const RecordingSettings &s = recording_;
    if (s.flgSplit) {
        CheckSplit->setChecked(true);
        Edit4->setText(QString::number(s.SplitTime / 60));
        Edit5->setText(QString::number(s.SplitTime % 60));
    }
}

void TSettingForm::InitComboBox() {
    cbMP3->clear();
    cbMP3->addItems(Mp3RowTexts());
    cbWAV->clear();
    cbWAV->addItems(WavRowTexts());
    cbWAV->setCurrentIndex(15);
    cbFLAC->clear();
    cbFLAC->addItems(FlacRowTexts());
    cbOpus->clear();
    cbOpus->addItems(OpusRowTexts());
    cbVorbis->clear();
    cbVorbis->addItems(VorbisRowTexts());

    // Row k describes profile number k + 1 of the component's listing, which is the profile
    // the component encodes with when given k; so the stored row and the profile agree.
    AudioFile1->setWmaFormatEnabled(true);
    const int WMAProfileNum = AudioFile1->FormatTag();
    cbWMA->clear();
    for (int number = 1; number <= WMAProfileNum; ++number)
        cbWMA->addItem(GetWMAString(number));
    cbWMA->setCurrentIndex(recording_.WMAProfile);

    const QString format = recording_.ext.toUpper();
    if (format == QLatin1String(".MP3"))
        enableFormatList(cbMP3);
    else if (format == QLatin1String(".WAV"))
        enableFormatList(cbWAV);
    else if (format == QLatin1String(".WMA"))
        enableFormatList(cbWMA);
    else if (format == QLatin1String(".FLAC"))
        enableFormatList(cbFLAC);
    else if (format == QLatin1String(".OPUS"))
        enableFormatList(cbOpus);
    else if (format == QLatin1String(".OGG"))
        enableFormatList(cbVorbis);
}

QString TSettingForm::GetWMAString(int ProfileIndex) {
    AudioFile1->setWmaFormatEnabled(true);
    AudioFile1->SetFormatWMA(ProfileIndex);
    return AudioFile1->FormatString().mid(4, kMaxWmaDescriptionLength);
}

void TSettingForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TSettingForm::FormShow() {
    RecordingSettings &s = recording_;
    EdSavePath->setText(s.SavePath);

    const QString format = s.ext.toUpper();
    if (format == QLatin1String(".MP3"))
        RBMP3->setChecked(true);
    else if (format == QLatin1String(".WAV"))
        RBWAV->setChecked(true);
    else if (format == QLatin1String(".WMA"))
        RBWMA->setChecked(true);
    else if (format == QLatin1String(".FLAC"))
        RBFLAC->setChecked(true);
    else if (format == QLatin1String(".OPUS"))
        RBOpus->setChecked(true);
    else if (format == QLatin1String(".OGG"))
        RBVorbis->setChecked(true);

    GBTimeLimit->ShowLimit(s.RecordTime);

    // A stored row outside a list leaves that list without a selection. The rows are noted as
    // read, so OK writes only those the user moves.
    const FormatListRows rows = LoadFormatListRows(s, setupIniPath());
    cbMP3->setCurrentIndex(rows.mp3 >= 0 && rows.mp3 < cbMP3->count() ? rows.mp3 : -1);
    cbWAV->setCurrentIndex(rows.wav >= 0 && rows.wav < cbWAV->count() ? rows.wav : -1);
    selectStoredRow(cbFLAC, rows.flac);
    selectStoredRow(cbOpus, rows.opus);
    selectStoredRow(cbVorbis, rows.vorbis);

    PageListening->showSettings(capture_);
}

void TSettingForm::enableFormatList(QComboBox *list) {
    for (QComboBox *each : {cbMP3, cbWAV, cbWMA, cbFLAC, cbOpus, cbVorbis})
        each->setEnabled(each == list);
}

void TSettingForm::RBMP3Click() {
    enableFormatList(cbMP3);
}

void TSettingForm::RBWAVClick() {
    enableFormatList(cbWAV);
}

void TSettingForm::RBWMAClick() {
    enableFormatList(cbWMA);
}

void TSettingForm::RBFLACClick() {
    enableFormatList(cbFLAC);
}

void TSettingForm::RBOpusClick() {
    enableFormatList(cbOpus);
}

void TSettingForm::RBVorbisClick() {
    enableFormatList(cbVorbis);
}

void TSettingForm::CheckSplitClick() {
    Edit4->setEnabled(CheckSplit->isChecked());
    Edit5->setEnabled(CheckSplit->isChecked());
}

void TSettingForm::SpeedBtnSelectClick() {
    const QString folder = folderPicker_(this, tr("Select a directory to save output files"));
    if (folder.isEmpty())
        return;
    const QString path = withTrailingSeparator(folder);
    EdSavePath->setText(path);
    // Taken over at once, even if the dialog is cancelled afterwards.
    recording_.SavePath = path;
}

void TSettingForm::BtnOKClick() {
    RecordingSettings &s = recording_;

    // An empty directory would make every later recording fail, so it is not taken.
    if (EdSavePath->text().trimmed().isEmpty()) {
        ShowInformation(this, tr("Please select a directory to save output files."));
        EdSavePath->setFocus();
        return;
    }
    s.SavePath = withTrailingSeparator(EdSavePath->text());

    // Only the chosen format's values change; the others keep theirs.
    if (RBMP3->isChecked()) {
        s.ext = QStringLiteral(".mp3");
        const Mp3Value mp3 = GetMP3Value(selectedRow(cbMP3));
        s.MP3Freq = mp3.freq;
        s.MP3Bitrate = mp3.bitrate;
    } else if (RBWAV->isChecked()) {
        s.ext = QStringLiteral(".wav");
        GetWavValue(selectedRow(cbWAV), s.WAVFreq, s.WAVBPS, s.WAVCh);
    } else if (RBWMA->isChecked()) {
        s.ext = QStringLiteral(".wma");
        s.WMAProfile = selectedRow(cbWMA);
    } else if (RBFLAC->isChecked()) {
        s.ext = QStringLiteral(".flac");
        GetFlacValue(selectedRow(cbFLAC), s.FLACFreq, s.FLACCh);
    } else if (RBOpus->isChecked()) {
        s.ext = QStringLiteral(".opus");
        GetOpusValue(selectedRow(cbOpus), s.OpusBitrate, s.OpusCh);
    } else if (RBVorbis->isChecked()) {
        s.ext = QStringLiteral(".ogg");
        GetVorbisValue(selectedRow(cbVorbis), s.VorbisQuality, s.VorbisFreq, s.VorbisCh);
    }

    if (!GBTimeLimit->ApplyTo(s, hooks_.setAutoStopIndicator))
        return;

    s.flgSplit = CheckSplit->isChecked();
    if (s.flgSplit) {
        QString badText;
        const std::optional<int> split = SplitSeconds(Edit4->text(), Edit5->text(), &badText);
        if (!split) {
            ShowError(this, tr("'%1' is not a valid integer value").arg(badText));
            return;
        }
        s.SplitTime = *split;
    }

    if (hooks_.setFormat)
        hooks_.setFormat();

    QString error;
    FormatListRows rows;
    rows.mp3 = selectedRow(cbMP3);
    rows.wav = selectedRow(cbWAV);
    rows.flac = selectedRow(cbFLAC);
    rows.opus = selectedRow(cbOpus);
    rows.vorbis = selectedRow(cbVorbis);
    if (!SaveSettings(s, rows, writableSetupIniPath(), &error)) {
        ShowError(this, error);
        return;
    }
    // Taken over once written, so that an OK after a failed save tries the same keys again.
    const CaptureSettings listening = PageListening->settings();
    if (!SaveCaptureSettings(listening, capture_, writableSetupIniPath(), &error)) {
        ShowError(this, error);
        return;
    }
    capture_ = listening;
    accept();
}

void TSettingForm::BtnCancelClick() {
    reject();
}
