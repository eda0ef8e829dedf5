// The main window while the sound system changes under it, on a virtual sound card of the
// test's own: devices plugged in and out, the default device switched by the desktop,
// mixer lines moved by another program, and a server that comes and goes.
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_play_button_b2.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

// The card, counting what the window writes to its mixer.
class CountingCard : public VirtualBackend {
public:
    int writes = 0;

    void setLineVolume(Direction d, int device, int line, int volume) override {
        ++writes;
        VirtualBackend::setLineVolume(d, device, line, volume);
    }
    void setLineBalance(Direction d, int device, int line, int balance) override {
        ++writes;
        VirtualBackend::setLineBalance(d, device, line, balance);
    }
    void setLineMute(Direction d, int device, int line, bool mute) override {
        ++writes;
        VirtualBackend::setLineMute(d, device, line, mute);
    }
    void setLineSelect(Direction d, int device, int line, bool select) override {
        ++writes;
        VirtualBackend::setLineSelect(d, device, line, select);
    }
    void setDeviceVolume(Direction d, int device, int volume) override {
        ++writes;
        VirtualBackend::setDeviceVolume(d, device, volume);
    }
};

const QString kNoServer = QStringLiteral("No sound server was found (PulseAudio or PipeWire).");

QStringList entries(const QComboBox *combo) {
    QStringList names;
    for (int i = 0; i < combo->count(); ++i)
        names << combo->itemText(i);
    return names;
}

QStringList panelNames(const QWidget *sheet) {
    QStringList names;
    for (const TsrcFrame *panel : SourcePanelsOf(sheet))
        names << panel->Label1->text();
    return names;
}

}  // namespace

class LiveDevices : public WindowFixture {
protected:
    TForm1 &open() {
        writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
        window_ = std::make_unique<TForm1>(card_, testRecordingSettings(), testCaptureSettings());
        window_->TimerTip->stop();
        window_->show();
        QCoreApplication::processEvents();
        showMixerTabs(*window_);
        return *window_;
    }

    void choose(QComboBox *combo, const QString &name) {
        combo->setCurrentIndex(combo->findText(name));
        Q_EMIT combo->activated(combo->currentIndex());
    }

    TsrcFrame *recordingPanel(int line) {
        return window_->TabSheet3->findChild<TsrcFrame *>(QStringLiteral("sfr%1").arg(line));
    }
    TsrcFrame *playbackPanel(int line) {
        return window_->TabSheet4->findChild<TsrcFrame *>(QStringLiteral("sf%1").arg(line));
    }

    // Runs the event loop until `done` holds; false after 200 ms.
    static bool soon(const std::function<bool()> &done) { return waitUntil(done, 200); }

    CountingCard card_;
};

TEST_F(LiveDevices, PluggedDevicesAreListedAndAChosenOneFallsBackWhenUnplugged) {
    TForm1 &w = open();
    const int headset = card_.plugDevice(Direction::Input, QStringLiteral("USB Headset"));
    card_.plugDevice(Direction::Output, QStringLiteral("USB Headset"));
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 2 && w.DeviceCombo->count() == 2; }));
    EXPECT_EQ(entries(w.DeviceComboIn),
              (QStringList{QStringLiteral("Virtual Microphone"), QStringLiteral("USB Headset")}));
    // Plugging in alone changes nothing the user uses.
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("Virtual Microphone"));
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);
    EXPECT_EQ(SourcePanelsOf(w.TabSheet3).size(), 3);

    choose(w.DeviceComboIn, QStringLiteral("USB Headset"));
    EXPECT_EQ(w.AudioRecord1->devInput(), headset);
    EXPECT_EQ(panelNames(w.TabSheet3), QStringList{QStringLiteral("Master")});

    // Another device coming keeps the choice, by its stable number.
    card_.plugDevice(Direction::Input, QStringLiteral("Webcam"));
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 3; }));
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("USB Headset"));

    card_.unplugDevice(Direction::Input, headset);
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 2; }));
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("Virtual Microphone"));
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("The input device \"USB Headset\" was removed; "
                                               "using \"Virtual Microphone\"."));
    EXPECT_EQ(SourcePanelsOf(w.TabSheet3).size(), 3);
    // The output side was not using the headset: nothing to say about it.
    EXPECT_EQ(w.DeviceCombo->currentText(), QStringLiteral("Virtual Speakers"));

    // Plugged in again, it is listed under its old number, but the fallback stays.
    EXPECT_EQ(card_.plugDevice(Direction::Input, QStringLiteral("USB Headset")), headset);
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 3; }));
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);
}

TEST_F(LiveDevices, RecordingFollowsTheDefaultInputUntilTheUserChoosesButIsNeverMoved) {
    TForm1 &w = open();
    const int headset = card_.plugDevice(Direction::Input, QStringLiteral("Headset"));
    card_.setDefaultDevice(Direction::Input, headset);
    ASSERT_TRUE(soon([&] { return w.AudioRecord1->devInput() == headset; }));
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("Headset"));
    EXPECT_EQ(panelNames(w.TabSheet3), QStringList{QStringLiteral("Master")});
    EXPECT_EQ(w.statusPanel(1), QString());

    // A recording keeps its device, paused or not; the change comes when it is over.
    w.Record1->trigger();
    ASSERT_TRUE(w.flgRecord);
    card_.setDefaultDevice(Direction::Input, 0);
    spin(100);
    EXPECT_EQ(w.AudioRecord1->devInput(), headset);
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("Headset"));
    w.Pause1->trigger();
    card_.setDefaultDevice(Direction::Input, headset);
    spin(50);
    card_.setDefaultDevice(Direction::Input, 0);
    spin(50);
    w.Record1->trigger();  // resumes on the device it started with
    EXPECT_EQ(w.AudioRecord1->devInput(), headset);
    spin(100);
    w.Stop1->trigger();
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("Virtual Microphone"));
    EXPECT_EQ(SourcePanelsOf(w.TabSheet3).size(), 3);

    // Once the user picked a device, the default no longer moves the choice.
    choose(w.DeviceComboIn, QStringLiteral("Virtual Microphone"));
    card_.setDefaultDevice(Direction::Input, headset);
    spin(100);
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);

    // The output side follows its default the same way.
    const int speakers = card_.plugDevice(Direction::Output, QStringLiteral("Headphones"));
    card_.setDefaultDevice(Direction::Output, speakers);
    ASSERT_TRUE(soon([&] { return w.AudioPlayer1->devOutput() == speakers; }));
    EXPECT_EQ(w.DeviceCombo->currentText(), QStringLiteral("Headphones"));
    EXPECT_EQ(panelNames(w.TabSheet4), QStringList{QStringLiteral("Master")});
}

TEST_F(LiveDevices, MixerControlsFollowOutsideChangesWithoutWritingBack) {
    TForm1 &w = open();
    w.AudioRecord1->setSrcInput(1);  // as the advanced dialog would leave it
    card_.writes = 0;

    // Another program moves the lines, as the server reports it.
    QElapsedTimer clock;
    clock.start();
    card_.VirtualBackend::setLineVolume(Direction::Input, 0, 1, 1000);
    card_.VirtualBackend::setLineBalance(Direction::Input, 0, 1, 80);
    card_.VirtualBackend::setLineSelect(Direction::Input, 0, 2, true);
    card_.VirtualBackend::setLineMute(Direction::Output, 0, 0, true);
    card_.VirtualBackend::setLineMute(Direction::Output, 0, 1, true);
    card_.VirtualBackend::setDeviceVolume(Direction::Output, 0, 20000);
    ASSERT_TRUE(soon([&] {
        return recordingPanel(1)->TrackBar1->value() == 65535 - 1000 &&
               w.NCTPlayButtonB1->Volume() == 20000;
    }));
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_EQ(recordingPanel(1)->TrackBar2->value(), 80);
    EXPECT_EQ(recordingPanel(1)->TrackBar1->toolTip(), QStringLiteral("2 %"));
    EXPECT_FALSE(recordingPanel(0)->CheckBox1->isChecked());
    EXPECT_TRUE(recordingPanel(2)->CheckBox1->isChecked());
    EXPECT_TRUE(playbackPanel(0)->CheckBox1->isChecked());
    EXPECT_TRUE(w.NCTPlayButtonB1->Mute());  // the bar shows the main line's mute
    spin(50);
    EXPECT_EQ(card_.writes, 0);
    EXPECT_EQ(w.AudioRecord1->srcInput(), 1);

    // The user's own moves still go out, once each.
    playbackPanel(1)->TrackBar1->setValue(500);
    spin(50);
    EXPECT_EQ(card_.writes, 1);
    EXPECT_EQ(playbackPanel(1)->TrackBar1->value(), 500);

    // A port coming or going changes the number of lines: the row is built again.
    card_.setMixerLines(Direction::Input, 0, {card_.mixerLines(Direction::Input, 0).front()});
    ASSERT_TRUE(soon([&] { return SourcePanelsOf(w.TabSheet3).size() == 1; }));
    EXPECT_EQ(recordingPanel(0)->Label1->text(), QStringLiteral("Microphone"));

    // Devices not shown are none of the panels' business.
    card_.VirtualBackend::setLineVolume(Direction::Input, 1, 0, 0);
    spin(50);
    EXPECT_EQ(card_.writes, 1);
}

TEST_F(LiveDevices, TheListsFillWhenTheServerComesAndEmptyWhenItGoes) {
    card_.setUnavailable(QStringLiteral("Connecting to the sound server..."));
    TForm1 &w = open();
    EXPECT_EQ(w.DeviceComboIn->count(), 0);
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("Connecting to the sound server..."));
    EXPECT_TRUE(SourcePanelsOf(w.TabSheet3).isEmpty());

    card_.setUnavailable(QString());
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 1; }));
    EXPECT_EQ(w.DeviceCombo->currentText(), QStringLiteral("Virtual Speakers"));
    EXPECT_EQ(w.statusPanel(1), QString());
    EXPECT_EQ(SourcePanelsOf(w.TabSheet3).size(), 3);
    EXPECT_EQ(SourcePanelsOf(w.TabSheet4).size(), 2);

    // Lost: no lists, the reason shown. A file name shown meanwhile is not wiped when the
    // server is back, and the user's choice comes back with it.
    const int headset = card_.plugDevice(Direction::Input, QStringLiteral("Headset"));
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 2; }));
    choose(w.DeviceComboIn, QStringLiteral("Headset"));
    card_.setUnavailable(kNoServer);
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 0; }));
    EXPECT_EQ(w.statusPanel(1), kNoServer);
    EXPECT_TRUE(SourcePanelsOf(w.TabSheet3).isEmpty());
    w.setStatusPanel(1, QStringLiteral("/music/song.wav"));
    card_.setUnavailable(QString());
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 2; }));
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("/music/song.wav"));
    EXPECT_EQ(w.AudioRecord1->devInput(), headset);
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("Headset"));
    EXPECT_EQ(panelNames(w.TabSheet3), QStringList{QStringLiteral("Master")});
}

TEST_F(LiveDevices, UnpluggingTheDeviceOfARecordingEndsItAndTheNextUsesTheFallback) {
    TForm1 &w = open();
    answerMessageBoxes(QMessageBox::Ok);
    const int headset = card_.plugDevice(Direction::Input, QStringLiteral("Headset"));
    ASSERT_TRUE(soon([&] { return w.DeviceComboIn->count() == 2; }));
    choose(w.DeviceComboIn, QStringLiteral("Headset"));
    w.Record1->trigger();
    ASSERT_TRUE(waitUntil([&] { return w.AudioRecord1->nSamplesCurrent() > 4410; }));

    card_.unplugDevice(Direction::Input, headset);
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord && !messages_.isEmpty(); }, 2000));
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
    EXPECT_EQ(w.AudioRecord1->devInput(), 0);
    EXPECT_EQ(w.DeviceComboIn->currentText(), QStringLiteral("Virtual Microphone"));
    EXPECT_EQ(SourcePanelsOf(w.TabSheet3).size(), 3);

    w.Record1->trigger();
    ASSERT_TRUE(w.flgRecord);
    ASSERT_TRUE(waitUntil([&] { return w.AudioRecord1->nSamplesCurrent() > 4410; }));
    w.Stop1->trigger();
    EXPECT_EQ(listedFiles().size(), 2);
}
