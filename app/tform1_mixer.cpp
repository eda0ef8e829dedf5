// The main window's mixer tabs: device choice, source panels, equaliser and filters.
#include "app/tform1.h"

#include "app/live_device_list.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "mixer/source_panels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

void TForm1::connectMixerCommands() {
    connect(DeviceCombo, &QComboBox::activated, this, &TForm1::DeviceComboClick);
    connect(DeviceComboIn, &QComboBox::activated, this, &TForm1::DeviceComboInClick);
    connectDeviceEvents();
}

QPushButton *TForm1::buildEqualizerBandsButton() {
    QCheckBox *const box = playbackRow_.chEqualizer;
    auto *equalizerBands = new QPushButton(tr("EQ..."), TabSheet4);
    equalizerBands->setObjectName(QStringLiteral("ToolBtnEqualizer"));
    equalizerBands->setToolTip(tr("Adjust the equalizer bands"));
    equalizerBands->resize(equalizerBands->sizeHint().width(), DeviceCombo->sizeHint().height());
    equalizerBands->move(box->x() + box->width() + 8, 2);
    // The equaliser window's bands are reached from the playback tab, beside the switch.
    connect(equalizerBands, &QPushButton::clicked, this, [this] {
        if (frmEQ)
            frmEQ->exec();
    });
    return equalizerBands;
}

void TForm1::SetSrcOutput() {
    refreshPlaybackPanels(true);
}

void TForm1::SetSrcInput() {
    refreshRecordingPanels(true);
    recordingController_->restartListening();
}

void TForm1::pageShown() {
    QWidget *const page = PageControl1->currentWidget();
    if (page == TabSheet2) {
        fileInfo();
    } else if (page == TabSheet4 && !playbackPanelsBuilt_) {
        // The panels stand below the tab's top row.
        playbackControlsRow();
        playbackPanelsBuilt_ = true;
        refreshPlaybackPanels(true);
    } else if (page == TabSheet3 && !recordingPanelsBuilt_) {
        recordingControlsRow();
        recordingPanelsBuilt_ = true;
        refreshRecordingPanels(true);
    }
}

void TForm1::refreshPlaybackPanels(bool rebuild) {
    const MixerComponents components{AudioRecord1, AudioPlayer1};
    if (!playbackPanelsBuilt_)
        FitWindowToPlaybackPanels(TabSheet4, components, !rebuild);
    else if (rebuild)
        BuildPlaybackPanels(TabSheet4, components);
    else
        UpdatePlaybackPanels(TabSheet4, components);
}

void TForm1::refreshRecordingPanels(bool rebuild) {
    const MixerComponents components{AudioRecord1, AudioPlayer1};
    if (!recordingPanelsBuilt_)
        FitWindowToRecordingPanels(TabSheet3, components, !rebuild);
    else if (rebuild)
        BuildRecordingPanels(TabSheet3, components);
    else
        UpdateRecordingPanels(TabSheet3, components);
}

void TForm1::DeviceComboClick() {
    const QVariant device = DeviceCombo->currentData();
    if (!device.isValid())
        return;
    AudioPlayer1->setDevOutput(device.toInt());
    outputDevices_->chosen();
    SetSrcOutput();
    showOutputVolume();  // the bar's knob and mute are the chosen device's
}

void TForm1::DeviceComboInClick() {
    const QVariant device = DeviceComboIn->currentData();
    if (!device.isValid())
        return;
    AudioRecord1->setDevInput(device.toInt());
    inputDevices_->chosen();
    SetSrcInput();
}

void TForm1::chEqualizerClick() {
    EqualizerSwitchClick(chEqualizer(), *AudioPlayer1);
}

void TForm1::btnSetFilterClick() {
    if (!frmRecFlt)
        return;
    frmRecFlt->show();
    frmRecFlt->raise();
    frmRecFlt->activateWindow();
}
