// The main window following the sound system while it runs: device lists that change as
// devices come and go, the server's state in the status bar, and mixer controls that move
// when another program (or the desktop's volume applet) moves the lines they show.
#include "app/tform1.h"

#include "app/live_device_list.h"
#include "audio/audio_device_mixer.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/audio_backend.h"
#include "widgets/nct_play_button_b2.h"

#include <QComboBox>
#include <QStringList>
#include <QTimer>

void TForm1::connectDeviceEvents() {
    LiveDeviceList::Side output;
    output.direction = Direction::Output;
    output.combo = DeviceCombo;
    output.component = {[this] { return AudioPlayer1->devOutputCount(); },
                        [this] { return AudioPlayer1->devOutput(); },
                        [this](int d) { AudioPlayer1->setDevOutput(d); },
                        [this] { return AudioPlayer1->devSrcEnabled(); },
                        [this] { return AudioPlayer1->devOutputName(); }};
    output.busy = [this] { return flgPlay; };
    outputDevices_ = std::make_unique<LiveDeviceList>(backend_, output);

    LiveDeviceList::Side input;
    input.direction = Direction::Input;
    input.combo = DeviceComboIn;
    input.component = {[this] { return AudioRecord1->devInputCount(); },
                       [this] { return AudioRecord1->devInput(); },
                       [this](int d) { AudioRecord1->setDevInput(d); },
                       [this] { return AudioRecord1->devSrcEnabled(); },
                       [this] { return AudioRecord1->devInputName(); }};
    // From the moment Record is pressed: a start may let the event loop run before it opens
    // the device, and must open the device the list showed when it was pressed.
    input.busy = [this] { return recordingController_->takeRunning(); };
    inputDevices_ = std::make_unique<LiveDeviceList>(backend_, input);

    // Changes come in bursts (a volume drag elsewhere, a card with several ports); the
    // controls follow once the burst has been delivered.
    mixerFollow_ = new QTimer(this);
    mixerFollow_->setSingleShot(true);
    mixerFollow_->setInterval(0);
    connect(mixerFollow_, &QTimer::timeout, this, &TForm1::followMixer);

    connect(&backend_, &AudioBackend::devicesChanged, this, &TForm1::BackendDevicesChanged);
    connect(&backend_, &AudioBackend::mixerChanged, this, &TForm1::BackendMixerChanged);
}

void TForm1::BackendDevicesChanged() {
    if (!shown_)
        return;  // the first show reads everything afresh
    showUnavailableReason();
    const LiveDeviceList::Outcome output = outputDevices_->refresh();
    const LiveDeviceList::Outcome input = inputDevices_->refresh();
    QStringList messages;
    QStringList briefs;
    for (const LiveDeviceList::Outcome *outcome : {&input, &output}) {
        if (!outcome->message.isEmpty()) {
            messages << outcome->message;
            briefs << outcome->brief;
        }
    }
    showDeviceOutcomes(output.deviceChanged, input.deviceChanged, messages, briefs);
    followRecordedApplication();
}

// A recording of one application goes on with silence when the application stops playing,
// and picks it up again when it plays again; status panel 1 tells the user which it is.
void TForm1::followRecordedApplication() {
    const bool recording = recordingController_->takeRunning();
    const auto application = applicationOf(backend_, AudioRecord1->devInput());
    if (!recording || !application)
        return;
    const QString notice =
        application->playing ? QString()
                             : tr("%1 stopped playing; recording silence.").arg(application->name);
    if (notice == applicationNotice_)
        return;
    if (!notice.isEmpty())
        setStatusPanel(1, notice);
    else if (statusPanel(1) == applicationNotice_)
        setStatusPanel(1, tr("%1 is playing again.").arg(application->name));
    applicationNotice_ = notice;
}

// Called when a recording or a playback is over: a device change held back while it ran.
void TForm1::resumeDeviceFollowing() {
    applicationNotice_.clear();
    if (!shown_)
        return;
    const LiveDeviceList::Outcome output = outputDevices_->resume();
    const LiveDeviceList::Outcome input = inputDevices_->resume();
    showDeviceOutcomes(output.deviceChanged, input.deviceChanged, {});
}

void TForm1::showDeviceOutcomes(bool outputChanged, bool inputChanged, const QStringList &messages,
                                const QStringList &briefs) {
    // A device that changed gets its own panels; one that stayed may have come back from
    // the server's absence with lines it did not have, or different values.
    if (outputChanged)
        SetSrcOutput();
    else
        refreshPlaybackPanels(false);
    showOutputVolume();
    if (inputChanged)
        SetSrcInput();
    else
        refreshRecordingPanels(false);
    if (!messages.isEmpty())
        setStatusPanel(1, messages.join(QLatin1Char(' ')), briefs.join(QLatin1Char(' ')));
}

// Status panel 1 says why there are no devices while that is so. Once they are back, the
// text goes, unless something else (a file name) has taken the panel meanwhile.
void TForm1::showUnavailableReason() {
    const QString reason = backend_.unavailableReason();
    if (reason == shownUnavailable_)
        return;
    if (!reason.isEmpty())
        setStatusPanel(1, reason);
    else if (statusPanel(1) == shownUnavailable_)
        setStatusPanel(1, QString());
    shownUnavailable_ = reason;
}

void TForm1::BackendMixerChanged(Direction direction, int device) {
    if (!shown_)
        return;
    if (direction == Direction::Output && device == AudioPlayer1->devOutput())
        followOutputMixer_ = true;
    else if (direction == Direction::Input && device == AudioRecord1->devInput())
        followInputMixer_ = true;
    else
        return;
    mixerFollow_->start();
}

void TForm1::followMixer() {
    if (followOutputMixer_) {
        refreshPlaybackPanels(false);
        showOutputVolume();
    }
    if (followInputMixer_)
        refreshRecordingPanels(false);
    followOutputMixer_ = followInputMixer_ = false;
}

namespace {

// The bar's mute switch is the device's main line: the one every output has (a sound
// server's sink has no other), and the one the desktop's own volume control mutes.
constexpr int kMainOutputLine = 0;

}  // namespace

// The knob of the play-button bar shows the output device's volume and its mute button the
// main line's mute; neither raises an event, so nothing goes back. The line the mixer tab
// has selected stays selected.
void TForm1::showOutputVolume() {
    NCTPlayButtonB1->ChangeVolume(AudioPlayer1->devVolume());
    const std::vector<MixerLine> lines = AudioPlayer1->mixerLines();
    if (kMainOutputLine < static_cast<int>(lines.size()))
        NCTPlayButtonB1->setMute(lines[kMainOutputLine].mute);
    else
        NCTPlayButtonB1->setMute(false);
}

// The mute switch of the bar: the same line it shows, so a second click unmutes.
void TForm1::setOutputMute(bool mute) {
    // Selects the line it acts on, as the mixer tab's panels do.
    AudioPlayer1->setSrcOutput(kMainOutputLine);
    AudioPlayer1->setMixerLineMute(kMainOutputLine, mute);
}
