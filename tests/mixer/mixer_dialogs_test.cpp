// The mixer's windows on their own: source panels built from made-to-measure lines, the
// advanced-controls dialog, the equaliser window with its three-state switch, and the
// recording filters window.
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "audio/widgets/nct_equalizer2.h"
#include "mixer/adv_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "tests/mixer/fake_mixer_backend.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

class MixerWindows : public ::testing::Test {
protected:
    FakeMixerBackend card;
    std::unique_ptr<TAudioRecord2> recorder;
    std::unique_ptr<TAudioPlayer2> player;

    void useLines(std::vector<MixerLine> input, std::vector<MixerLine> output = {}) {
        card.inputLines = std::move(input);
        card.outputLines = std::move(output);
        recorder = std::make_unique<TAudioRecord2>(card);
        player = std::make_unique<TAudioPlayer2>(card);
    }
    MixerComponents components() { return {recorder.get(), player.get()}; }
};

std::vector<MixerLine> numberedLines(int n) {
    std::vector<MixerLine> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back(FakeMixerBackend::line(QStringLiteral("Line %1").arg(i)));
    return lines;
}

AdvancedControl switchControl(const QString &name, bool on) {
    return {name, true, on ? 1 : 0};
}
AdvancedControl levelControl(const QString &name, int value) {
    return {name, false, value};
}

void typeInto(QWidget *edit, const QString &keys) {
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void pressKey(QWidget *edit, int key, const QString &text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
}

void clickBand(TNCTEqualizer2 *bands, int n, float dB) {
    const QPointF at(bands->bandRect(n).center().x(), bands->yForDb(dB));
    const QPointF global = bands->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bands, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(bands, &release);
}

constexpr int kRate = 44100;

// Amplitude of one frequency in a mono signal over [from, from + n), n a whole number of
// periods (a single DFT bin).
double amplitudeAt(const std::vector<int16_t> &s, double hz, size_t from, size_t n) {
    double re = 0, im = 0;
    for (size_t i = 0; i < n; ++i) {
        const double phase = 2 * M_PI * hz * double(i) / kRate;
        re += s[from + i] * std::cos(phase);
        im += s[from + i] * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / double(n);
}

// Plays one second of 64 Hz, 1 kHz and 3 kHz at equal levels through `player` on `card`
// (whose sink is `sinkPath`); returns what was sent and what the card played.
std::pair<std::vector<int16_t>, std::vector<int16_t>> playThreeTones(TAudioPlayer2 &player,
                                                                     const QString &sinkPath) {
    player.SetFormatArray(kRate, 1);
    const int frames = player.SecToSamples(200);
    std::vector<int16_t> sent;
    int next = 0, ends = 0;
    auto sendNext = [&] {
        if (next == 5) {
            player.SendArray(SampleArray());
            return;
        }
        std::vector<int16_t> block(frames);
        for (int i = 0; i < frames; ++i) {
            const double t = double(int64_t(next) * frames + i) / kRate;
            block[i] = static_cast<int16_t>(
                std::lround(1500 * (std::sin(2 * M_PI * 64 * t) + std::sin(2 * M_PI * 1000 * t) +
                                    std::sin(2 * M_PI * 3000 * t))));
        }
        sent.insert(sent.end(), block.begin(), block.end());
        player.SendArray(SampleArray(1, block));
        ++next;
    };
    QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, &player, sendNext);
    QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ++ends; });
    player.StartDevice();
    EXPECT_EQ(player.LastErrorNum(), 0);
    sendNext();
    sendNext();
    EXPECT_TRUE(testsupport::waitUntil([&] { return ends > 0; }, 5000));
    player.StopDevice();

    std::vector<int16_t> heard;
    QFile wav(sinkPath);
    if (wav.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = wav.readAll();
        heard.resize(static_cast<size_t>(std::max<qsizetype>(0, bytes.size() - 44)) / 2);
        std::memcpy(heard.data(), bytes.constData() + 44, heard.size() * 2);
    }
    return {sent, heard};
}

}  // namespace

// --- Source panels ---

TEST_F(MixerWindows, PanelsStandAtTheirPitchAndTheWindowOnlyGrows) {
    useLines(numberedLines(10));
    QWidget window;
    window.resize(300, 400);
    auto *sheet = new QWidget(&window);
    const int writesBefore = card.writes;
    BuildRecordingPanels(sheet, components());
    EXPECT_EQ(card.writes, writesBefore);  // building reads only

    const QList<TsrcFrame *> panels = SourcePanelsOf(sheet);
    ASSERT_EQ(panels.size(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(panels[i]->objectName(), QStringLiteral("sfr%1").arg(i));
        EXPECT_EQ(panels[i]->geometry(), QRect(i * 79, 26, 81, 185));
        EXPECT_EQ(panels[i]->Tag, i);
        EXPECT_EQ(panels[i]->Label1->text(), QStringLiteral("Line %1").arg(i));
    }
    EXPECT_EQ(window.width(), 9 * 79 + 98);

    window.resize(1200, 400);
    BuildRecordingPanels(sheet, components());
    EXPECT_EQ(window.width(), 1200);
}

TEST_F(MixerWindows, ADeviceWithOneLineShowsItAndOneWithoutShowsNothing) {
    useLines(numberedLines(1), numberedLines(1));
    QWidget window;
    window.resize(300, 400);
    auto *sheet = new QWidget(&window);
    BuildPlaybackPanels(sheet, components());
    ASSERT_EQ(SourcePanelsOf(sheet).size(), 1);
    EXPECT_EQ(SourcePanelsOf(sheet)[0]->objectName(), QStringLiteral("sf0"));

    player->setDevOutput(1);  // no lines
    BuildPlaybackPanels(sheet, components());
    EXPECT_TRUE(SourcePanelsOf(sheet).isEmpty());
    EXPECT_EQ(window.width(), 300);
}

TEST_F(MixerWindows, ControlsShowWhatTheLineHasAndOnlyAdvancedLinesGetTheButton) {
    MixerLine plain = FakeMixerBackend::line(QStringLiteral("Plain"));
    plain.hasVolume = plain.hasBalance = plain.hasMute = false;
    plain.mute = true;
    MixerLine rich = FakeMixerBackend::line(QStringLiteral("Rich"),
                                            {switchControl(QStringLiteral("Boost"), false)});
    useLines({}, {plain, rich});
    QWidget sheet;
    BuildPlaybackPanels(&sheet, components());
    const QList<TsrcFrame *> panels = SourcePanelsOf(&sheet);
    ASSERT_EQ(panels.size(), 2);

    EXPECT_FALSE(panels[0]->TrackBar1->isEnabled());
    EXPECT_EQ(panels[0]->TrackBar1->value(), 65535 - 40000);  // the value reported all the same
    EXPECT_FALSE(panels[0]->TrackBar2->isEnabled());
    EXPECT_EQ(panels[0]->TrackBar2->value(), 30);
    EXPECT_FALSE(panels[0]->CheckBox1->isEnabled());
    EXPECT_TRUE(panels[0]->CheckBox1->isChecked());
    EXPECT_EQ(panels[0]->CheckBox1->text(), QStringLiteral("Mute"));
    EXPECT_FALSE(panels[0]->Button1->isVisibleTo(panels[0]));

    EXPECT_TRUE(panels[1]->TrackBar1->isEnabled());
    EXPECT_TRUE(panels[1]->Button1->isVisibleTo(panels[1]));
}

TEST_F(MixerWindows, RebuildingReplacesThePanelsUnderTheSameNames) {
    useLines(numberedLines(3));
    QWidget sheet;
    BuildRecordingPanels(&sheet, components());
    QPointer<TsrcFrame> old = SourcePanelsOf(&sheet).at(1);
    card.inputLines[1].name = QStringLiteral("Renamed");
    BuildRecordingPanels(&sheet, components());
    EXPECT_TRUE(old.isNull());
    auto *fresh = sheet.findChild<TsrcFrame *>(QStringLiteral("sfr1"));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Label1->text(), QStringLiteral("Renamed"));
    EXPECT_EQ(SourcePanelsOf(&sheet).size(), 3);
}

TEST_F(MixerWindows, PanelHandlersActOnTheirOwnLine) {
    useLines(numberedLines(3), numberedLines(2));
    QWidget sheet;
    BuildPlaybackPanels(&sheet, components());
    TsrcFrame *first = SourcePanelsOf(&sheet).at(0);

    player->setSrcOutput(1);
    first->TrackBar2->setValue(80);
    EXPECT_EQ(card.outputLines[0].balance, 80);
    EXPECT_EQ(card.outputLines[1].balance, 30);
    EXPECT_EQ(player->srcOutput(), 0);

    player->setSrcOutput(1);
    first->CheckBox1->click();
    EXPECT_TRUE(card.outputLines[0].mute);
    EXPECT_FALSE(card.outputLines[1].mute);

    first->TrackBar1->setValue(65535);  // bottom: silent
    EXPECT_EQ(card.outputLines[0].volume, 0);
    EXPECT_EQ(first->TrackBar1->toolTip(), QStringLiteral("0"));
}

// --- Advanced controls dialog ---

TEST_F(MixerWindows, AdvancedDialogWithOneSwitchWritesItBackAtOnce) {
    MixerLine mic = FakeMixerBackend::line(QStringLiteral("Mic"),
                                           {switchControl(QStringLiteral("Mic Boost"), true)});
    useLines({FakeMixerBackend::line(QStringLiteral("Other")), mic});
    recorder->setSrcInput(1);
    TfrmAdv dialog(components());
    dialog.m_Rec = true;
    const int writesBefore = card.writes;
    dialog.show();
    EXPECT_EQ(card.writes, writesBefore);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Advanced Properties for Mic"));
    EXPECT_EQ(dialog.gbOther->height(), 113);
    auto *box = dialog.gbOther->findChild<QCheckBox *>(QStringLiteral("ch0"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->y(), 80);
    EXPECT_EQ(box->text(), QStringLiteral("1 Mic Boost"));
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(dialog.gbOther->findChildren<QSlider *>().size(), 0);

    box->click();
    EXPECT_EQ(card.inputLines[1].advanced[0].value, 0);
    EXPECT_EQ(recorder->srcInput(), 1);
}

TEST_F(MixerWindows, AdvancedDialogWithThreeValuesGrowsAndPlacesCloseBelow) {
    MixerLine wave = FakeMixerBackend::line(QStringLiteral("Wave"),
                                            {switchControl(QStringLiteral("Loudness"), false),
                                             levelControl(QStringLiteral("Bass"), 40000),
                                             levelControl(QStringLiteral("Treble"), 70000)});
    useLines({}, {wave});
    TfrmAdv dialog(components());
    dialog.m_Rec = false;
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Advanced Properties for Wave"));
    EXPECT_EQ(dialog.gbOther->height(), 159);
    EXPECT_EQ(dialog.btnClose->y(), dialog.gbOther->y() + 159 + 8);
    EXPECT_GE(dialog.height(), dialog.btnClose->geometry().bottom() + 1);
    EXPECT_TRUE(dialog.btnClose->isDefault());

    auto *bass = dialog.gbOther->findChild<QSlider *>(QStringLiteral("tb1"));
    auto *treble = dialog.gbOther->findChild<QSlider *>(QStringLiteral("tb2"));
    ASSERT_TRUE(bass && treble);
    EXPECT_EQ(bass->y(), 1 * 23 + 80);
    EXPECT_EQ(bass->value(), 40000);
    EXPECT_EQ(treble->value(), 65535);                        // clamped by the slider
    EXPECT_EQ(card.outputLines[0].advanced[2].value, 70000);  // ...and not written back
    EXPECT_NE(dialog.gbOther->findChild<QCheckBox *>(QStringLiteral("ch0")), nullptr);
    bool captionShown = false;
    for (QLabel *label : dialog.gbOther->findChildren<QLabel *>())
        captionShown |= label->text() == QStringLiteral("3 Treble") && label->x() == 145;
    EXPECT_TRUE(captionShown);

    bass->setValue(1234);
    EXPECT_EQ(card.outputLines[0].advanced[1].value, 1234);
}

TEST_F(MixerWindows, AdvancedDialogForALineWithoutValuesShowsOnlyItsFixedParts) {
    useLines({FakeMixerBackend::line(QStringLiteral("Line In"))});
    TfrmAdv dialog(components());
    dialog.m_Rec = true;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Advanced Properties for Line In"));
    EXPECT_TRUE(dialog.gbOther->findChildren<QSlider *>().isEmpty());
    EXPECT_TRUE(dialog.gbOther->findChildren<QCheckBox *>().isEmpty());
}

// --- Equaliser window and switch ---

TEST_F(MixerWindows, FirstBandMoveWhileUndecidedSwitchesTheEqualiserOn) {
    useLines({}, numberedLines(1));
    QCheckBox box(QStringLiteral("Equalizer"));
    box.setTristate(true);
    box.setCheckState(Qt::PartiallyChecked);
    QObject::connect(&box, &QCheckBox::clicked, &box, [&] { EqualizerSwitchClick(&box, *player); });
    TfrmEQ eq(*player, &box);

    clickBand(eq.NCTEqualizer1, 4, 6.0f);
    EXPECT_EQ(box.checkState(), Qt::Checked);
    EXPECT_TRUE(player->EqualizerEnabled());
    EXPECT_NEAR(eq.gains()[3], 6.0f, 0.5f);

    // From now on a click toggles; grayed never comes back.
    box.click();
    EXPECT_EQ(box.checkState(), Qt::Unchecked);
    EXPECT_FALSE(player->EqualizerEnabled());
    clickBand(eq.NCTEqualizer1, 5, -6.0f);  // the curve changes, the switch stays off
    EXPECT_EQ(box.checkState(), Qt::Unchecked);
    EXPECT_FALSE(player->EqualizerEnabled());
    box.click();
    EXPECT_EQ(box.checkState(), Qt::Checked);
    EXPECT_TRUE(player->EqualizerEnabled());
    box.click();
    EXPECT_EQ(box.checkState(), Qt::Unchecked);
}

TEST_F(MixerWindows, ClickingTheUndecidedSwitchTurnsTheEqualiserOn) {
    useLines({}, numberedLines(1));
    QCheckBox box;
    box.setTristate(true);
    box.setCheckState(Qt::PartiallyChecked);
    QObject::connect(&box, &QCheckBox::clicked, &box, [&] { EqualizerSwitchClick(&box, *player); });
    box.click();
    EXPECT_EQ(box.checkState(), Qt::Checked);
    EXPECT_TRUE(player->EqualizerEnabled());
}

TEST(EqualiserWindow, EveryMoveSendsAllTwelveBandsInBandOrder) {
    // Band 2 (64 Hz) is set without an event first; then band 8 (3 kHz) is moved by the
    // user. The sound must show both boosts where their bands are, and nothing at 1 kHz.
    QTemporaryDir dir;
    const QString sinkPath = dir.filePath(QStringLiteral("heard.wav"));
    setenv("KORVANTA_VIRTUAL_SINK", QFile::encodeName(sinkPath).constData(), 1);
    std::vector<int16_t> sent, heard;
    {
        VirtualBackend card;
        TAudioPlayer2 player(card);
        QCheckBox box;
        box.setTristate(true);
        box.setCheckState(Qt::PartiallyChecked);
        TfrmEQ eq(player, &box);
        eq.NCTEqualizer1->setBand(2, 12.0f);
        clickBand(eq.NCTEqualizer1, 8, 12.0f);
        ASSERT_FLOAT_EQ(eq.NCTEqualizer1->Band(8), 12.0f);
        ASSERT_TRUE(player.EqualizerEnabled());
        std::tie(sent, heard) = playThreeTones(player, sinkPath);
    }
    unsetenv("KORVANTA_VIRTUAL_SINK");
    ASSERT_EQ(heard.size(), sent.size());

    const size_t from = kRate / 4, n = kRate / 2;  // whole periods of all three tones
    auto gain = [&](double hz) {
        return 20 * std::log10(amplitudeAt(heard, hz, from, n) / amplitudeAt(sent, hz, from, n));
    };
    EXPECT_NEAR(gain(64), 12.0, 1.5);
    EXPECT_NEAR(gain(3000), 12.0, 1.5);
    EXPECT_NEAR(gain(1000), 0.0, 1.0);
}

TEST_F(MixerWindows, EqualiserWindowLayout) {
    useLines({}, numberedLines(1));
    TfrmEQ eq(*player, nullptr);
    EXPECT_EQ(eq.windowTitle(), QStringLiteral("Equalizer"));
    EXPECT_EQ(eq.size(), QSize(340, 160));
    EXPECT_EQ(eq.NCTEqualizer1->geometry(), QRect(0, 0, 340, 118));
    EXPECT_EQ(eq.BtnClose->geometry(), QRect(136, 128, 75, 25));
    EXPECT_EQ(eq.minimumSize(), QSize(310, 130));
    EXPECT_TRUE(eq.windowFlags() & Qt::WindowStaysOnTopHint);
    eq.show();
    eq.BtnClose->click();
    EXPECT_FALSE(eq.isVisible());
}

// --- Recording filters window ---

TEST_F(MixerWindows, FiltersWindowStartsFromTheRecorderThroughItsHandlers) {
    useLines(numberedLines(1));
    recorder->setNotchFilterFrequency(1000.0f);    // beyond the slider: clamped and written back
    recorder->setHighPassFilterFrequency(400.5f);  // half: to even
    recorder->setHighPassFilterEnabled(true);
    recorder->setLowPassFilterFrequency(4001.5f);
    TfrmRecFlt filters(*recorder);
    filters.SetUpFromRecorder();

    EXPECT_FALSE(filters.CheckBox1->isChecked());
    EXPECT_TRUE(filters.CheckBox2->isChecked());
    EXPECT_FALSE(filters.CheckBox3->isChecked());
    EXPECT_EQ(filters.TrackBar1->value(), 200);
    EXPECT_EQ(filters.Edit1->text(), QStringLiteral("200"));
    EXPECT_EQ(recorder->NotchFilterFrequency(), 200.0f);
    EXPECT_EQ(filters.TrackBar2->value(), 400);
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("400"));
    EXPECT_EQ(filters.TrackBar3->value(), 4002);
    EXPECT_EQ(recorder->LowPassFilterFrequency(), 4002.0f);
}

TEST_F(MixerWindows, TypedFrequenciesAreClampedByTheSlider) {
    useLines(numberedLines(1));
    TfrmRecFlt filters(*recorder);
    filters.Edit1->clear();
    typeInto(filters.Edit1, QStringLiteral("30"));
    pressKey(filters.Edit1, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(filters.TrackBar1->value(), 40);
    EXPECT_EQ(filters.Edit1->text(), QStringLiteral("40"));
    EXPECT_EQ(recorder->NotchFilterFrequency(), 40.0f);

    // Again at 40: the slider stays, and the box still shows what is in force.
    filters.Edit1->clear();
    typeInto(filters.Edit1, QStringLiteral("30"));
    filters.EditExit(TfrmRecFlt::kNotch);
    EXPECT_EQ(filters.Edit1->text(), QStringLiteral("40"));

    for (QLineEdit *edit : {filters.Edit2, filters.Edit3}) {
        edit->clear();
        typeInto(edit, QStringLiteral("50000"));
        pressKey(edit, Qt::Key_Enter, QStringLiteral("\r"));
        EXPECT_EQ(edit->text(), QStringLiteral("44100"));
    }
    EXPECT_EQ(recorder->HighPassFilterFrequency(), 44100.0f);
    EXPECT_EQ(recorder->LowPassFilterFrequency(), 44100.0f);
}

TEST_F(MixerWindows, FilterBoxesTakeOnlyNumberKeysAndFallBackOnNonIntegers) {
    useLines(numberedLines(1));
    TfrmRecFlt filters(*recorder);
    filters.Edit2->clear();
    typeInto(filters.Edit2, QStringLiteral("1a2 x"));
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("12"));
    pressKey(filters.Edit2, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("1"));

    const QString separator = QLocale().decimalPoint();
    typeInto(filters.Edit2, QStringLiteral("5") + separator + QStringLiteral("5"));
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("15") + separator + QStringLiteral("5"));
    const float before = recorder->HighPassFilterFrequency();
    pressKey(filters.Edit2, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("400"));
    EXPECT_EQ(recorder->HighPassFilterFrequency(), before);

    filters.Edit2->setText(QString());
    filters.EditExit(TfrmRecFlt::kHighPass);
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("400"));

    EXPECT_TRUE(IsValidChar(QLatin1Char('+')));
    EXPECT_TRUE(IsValidChar(QLatin1Char('-')));
    EXPECT_TRUE(IsValidChar(QChar(8)));
    EXPECT_FALSE(IsValidChar(QChar(13)));
    EXPECT_FALSE(IsValidChar(QLatin1Char(' ')));
}

TEST_F(MixerWindows, FilterSwitchesLeaveTheFrequencyAndClosingOnlyHides) {
    useLines(numberedLines(1));
    auto *filters = new TfrmRecFlt(*recorder);
    QPointer<TfrmRecFlt> alive(filters);
    filters->TrackBar3->setValue(8000);
    filters->CheckBox3->click();
    EXPECT_TRUE(recorder->LowPassFilterEnabled());
    filters->CheckBox3->click();
    EXPECT_FALSE(recorder->LowPassFilterEnabled());
    EXPECT_EQ(recorder->LowPassFilterFrequency(), 8000.0f);

    EXPECT_TRUE(filters->windowFlags() & Qt::Tool);
    EXPECT_EQ(filters->windowTitle(), QStringLiteral("Recording Filters"));
    filters->show();
    filters->close();
    EXPECT_FALSE(filters->isVisible());
    EXPECT_FALSE(alive.isNull());
    delete filters;
}
