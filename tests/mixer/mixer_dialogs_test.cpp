// The mixer's windows on their own: source panels built from made-to-measure lines, the
// advanced-controls dialog, the equaliser window with its three-state switch, and the
// recording filters window.
#include "audio/audio_record2.h"
#include "mixer/adv_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "tests/audio/virtual_card_playback.h"
#include "tests/mixer/fake_mixer_backend.h"
#include "widgets/nct_equalizer2.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

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

void type(QWidget *edit, const QString &keys) {
    for (QChar c : keys) {
        const int key = c == QLatin1Char('\r')   ? int(Qt::Key_Return)
                        : c == QLatin1Char('\b') ? int(Qt::Key_Backspace)
                                                 : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void clickBand(TNCTEqualizer2 *bands, int n, float dB) {
    const QPointF at(bands->bandRect(n).center().x(), bands->yForDb(dB));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, bands->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(bands, &event);
    }
}

}  // namespace

TEST_F(MixerWindows, PanelsFollowTheLinesAndTheWindowOnlyGrows) {
    MixerLine plain = FakeMixerBackend::line(QStringLiteral("Plain"));
    plain.hasVolume = plain.hasBalance = plain.hasSelect = false;
    plain.select = true;
    std::vector<MixerLine> lines = numberedLines(10);
    lines[0] = plain;
    lines[1].advanced = {{QStringLiteral("Boost"), true, 0}};
    useLines(lines, numberedLines(1));
    QWidget window;
    window.resize(300, 400);
    auto *sheet = new QWidget(&window);
    BuildRecordingPanels(sheet, components());
    EXPECT_EQ(card.writes, 0);  // building only reads

    const QList<TsrcFrame *> panels = SourcePanelsOf(sheet);
    ASSERT_EQ(panels.size(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(panels[i]->objectName(), QStringLiteral("sfr%1").arg(i));
        EXPECT_EQ(panels[i]->geometry(), QRect(i * 79, 26, 81, 185));
        EXPECT_EQ(panels[i]->Button1->isVisibleTo(panels[i]), i == 1);
    }
    // A missing control is disabled but shows what the line reports.
    EXPECT_FALSE(panels[0]->TrackBar1->isEnabled());
    EXPECT_EQ(panels[0]->TrackBar1->value(), 65535 - 40000);
    EXPECT_FALSE(panels[0]->TrackBar2->isEnabled());
    EXPECT_EQ(panels[0]->TrackBar2->value(), 30);
    EXPECT_FALSE(panels[0]->CheckBox1->isEnabled());
    EXPECT_TRUE(panels[0]->CheckBox1->isChecked());
    EXPECT_EQ(window.width(), 9 * 79 + 98);

    window.resize(1200, 400);
    BuildRecordingPanels(sheet, components());
    EXPECT_EQ(window.width(), 1200);

    // One line is still a line to show; no lines, no panels.
    BuildPlaybackPanels(sheet, components());
    ASSERT_EQ(SourcePanelsOf(sheet).size(), 1);
    EXPECT_EQ(SourcePanelsOf(sheet)[0]->objectName(), QStringLiteral("sf0"));
    player->setDevOutput(1);
    BuildPlaybackPanels(sheet, components());
    EXPECT_EQ(SourcePanelsOf(sheet).size(), 0);
}

TEST_F(MixerWindows, PanelsShowChangedValuesWithoutWritingOrMovingTheLine) {
    useLines(numberedLines(3));
    QWidget sheet;
    BuildRecordingPanels(&sheet, components());
    const QList<TsrcFrame *> panels = SourcePanelsOf(&sheet);
    QSlider *held = panels[2]->TrackBar1;
    held->setSliderDown(true);  // the user is dragging this one
    const int heldAt = held->value();

    for (MixerLine &l : card.inputLines) {
        l.volume = 1000;
        l.balance = 90;
    }
    card.inputLines[1].select = true;
    card.inputLines[1].hasBalance = false;
    recorder->setSrcInput(2);
    UpdateRecordingPanels(&sheet, components());
    EXPECT_EQ(card.writes, 0);
    EXPECT_EQ(recorder->srcInput(), 2);
    EXPECT_EQ(SourcePanelsOf(&sheet), panels);  // the same panels, not a new row
    EXPECT_EQ(panels[0]->TrackBar1->value(), 65535 - 1000);
    // The hint reads as the user thinks of a volume: in percent of full volume.
    EXPECT_EQ(panels[0]->TrackBar1->toolTip(), QStringLiteral("2 %"));
    EXPECT_EQ(panels[1]->TrackBar2->value(), 90);
    EXPECT_FALSE(panels[1]->TrackBar2->isEnabled());
    EXPECT_TRUE(panels[1]->CheckBox1->isChecked());
    EXPECT_FALSE(panels[0]->CheckBox1->isChecked());
    EXPECT_EQ(held->value(), heldAt);

    // Another number of lines: a new row.
    card.inputLines.pop_back();
    UpdateRecordingPanels(&sheet, components());
    ASSERT_EQ(SourcePanelsOf(&sheet).size(), 2);
    EXPECT_EQ(card.writes, 0);
}

TEST_F(MixerWindows, AdvancedDialogSizesItselfToTheValuesAndWritesAtOnce) {
    useLines({FakeMixerBackend::line(QStringLiteral("Other")),
              FakeMixerBackend::line(QStringLiteral("Mic"), {{QStringLiteral("Boost"), true, 1}})},
             {FakeMixerBackend::line(QStringLiteral("Wave"),
                                     {{QStringLiteral("Loudness"), true, 0},
                                      {QStringLiteral("Bass"), false, 40000},
                                      {QStringLiteral("Treble"), false, 70000}})});
    recorder->setSrcInput(1);
    TfrmAdv one(components());
    one.m_Rec = true;
    one.show();
    EXPECT_EQ(one.windowTitle(), QStringLiteral("Advanced Properties for Mic"));
    EXPECT_EQ(one.gbOther->height(), 113);
    auto *boost = one.gbOther->findChild<QCheckBox *>(QStringLiteral("ch0"));
    ASSERT_NE(boost, nullptr);
    EXPECT_EQ(boost->y(), 80);
    EXPECT_EQ(boost->text(), QStringLiteral("1 Boost"));
    EXPECT_TRUE(boost->isChecked());

    TfrmAdv three(components());
    three.m_Rec = false;
    three.show();
    EXPECT_EQ(card.writes, 0);  // showing writes nothing back, not even the clamped 70000
    EXPECT_EQ(three.gbOther->height(), 159);
    EXPECT_EQ(three.btnClose->y(), three.gbOther->y() + 159 + 8);
    EXPECT_GE(three.height(), three.btnClose->geometry().bottom() + 1);
    auto *bass = three.gbOther->findChild<QSlider *>(QStringLiteral("tb1"));
    auto *treble = three.gbOther->findChild<QSlider *>(QStringLiteral("tb2"));
    ASSERT_TRUE(bass && treble);
    EXPECT_EQ(bass->y(), 23 + 80);
    EXPECT_EQ(bass->value(), 40000);
    EXPECT_EQ(treble->value(), 65535);

    boost->click();
    bass->setValue(1234);
    EXPECT_EQ(card.inputLines[1].advanced[0].value, 0);
    EXPECT_EQ(card.outputLines[0].advanced[1].value, 1234);
}

TEST_F(MixerWindows, TheUndecidedSwitchIsDecidedByAClickOrTheFirstBandMove) {
    useLines({}, numberedLines(1));
    QCheckBox box;
    QObject::connect(&box, &QCheckBox::clicked, &box, [&] { EqualizerSwitchClick(&box, *player); });
    TfrmEQ eq(*player, &box);
    for (bool byClick : {true, false}) {
        box.setTristate(true);
        box.setCheckState(Qt::PartiallyChecked);
        player->setEqualizerEnabled(false);
        if (byClick)
            box.click();
        else
            clickBand(eq.NCTEqualizer1, 4, 6.0f);
        EXPECT_EQ(box.checkState(), Qt::Checked);
        EXPECT_TRUE(player->EqualizerEnabled());
    }
    // Decided: clicks toggle, grayed never comes back, and bands move the curve only.
    box.click();
    EXPECT_EQ(box.checkState(), Qt::Unchecked);
    clickBand(eq.NCTEqualizer1, 5, -6.0f);
    EXPECT_EQ(box.checkState(), Qt::Unchecked);
    EXPECT_FALSE(player->EqualizerEnabled());
    box.click();
    EXPECT_EQ(box.checkState(), Qt::Checked);
    EXPECT_TRUE(player->EqualizerEnabled());
}

TEST(EqualiserWindow, EveryMoveSendsAllTwelveBandsInBandOrder) {
    // Band 2 (64 Hz) is set without an event, then band 8 (3 kHz) is moved by the user: the
    // sound shows both boosts where their bands are, and nothing at 1 kHz.
    const int rate = 44100;
    const PlayedSound sound = playOnVirtualCard(
        rate, 1, 5,
        [](TAudioPlayer2 &player) {
            QCheckBox box;
            box.setTristate(true);
            box.setCheckState(Qt::PartiallyChecked);
            TfrmEQ eq(player, &box);
            eq.NCTEqualizer1->setBand(2, 12.0f);
            clickBand(eq.NCTEqualizer1, 8, 12.0f);
            ASSERT_FLOAT_EQ(eq.NCTEqualizer1->Band(8), 12.0f);
        },
        [](double t) {
            return 1500 * (std::sin(2 * M_PI * 64 * t) + std::sin(2 * M_PI * 1000 * t) +
                           std::sin(2 * M_PI * 3000 * t));
        });
    ASSERT_EQ(sound.heard.size(), sound.sent.size());
    const size_t from = rate / 4, n = rate / 2;  // whole periods of all three tones
    auto gain = [&](double hz) {
        return 20 * std::log10(amplitudeAt(sound.heard, 1, 0, hz, rate, from, n) /
                               amplitudeAt(sound.sent, 1, 0, hz, rate, from, n));
    };
    EXPECT_NEAR(gain(64), 12.0, 1.5);
    EXPECT_NEAR(gain(3000), 12.0, 1.5);
    EXPECT_NEAR(gain(1000), 0.0, 1.0);
}

TEST_F(MixerWindows, FiltersWindowStartsFromTheRecorderThroughItsHandlers) {
    useLines(numberedLines(1));
    recorder->setNotchFilterFrequency(1000.0f);    // beyond the slider: clamped, written back
    recorder->setHighPassFilterFrequency(400.5f);  // halves round to even
    recorder->setHighPassFilterEnabled(true);
    recorder->setLowPassFilterFrequency(4001.5f);
    TfrmRecFlt filters(*recorder);
    filters.SetUpFromRecorder();
    EXPECT_FALSE(filters.CheckBox1->isChecked());
    EXPECT_TRUE(filters.CheckBox2->isChecked());
    EXPECT_EQ(filters.Edit1->text(), QStringLiteral("200"));
    EXPECT_EQ(recorder->NotchFilterFrequency(), 200.0f);
    EXPECT_EQ(filters.TrackBar2->value(), 400);
    EXPECT_EQ(filters.TrackBar3->value(), 4002);

    filters.CheckBox2->click();  // off leaves the frequency alone
    EXPECT_FALSE(recorder->HighPassFilterEnabled());
    EXPECT_EQ(recorder->HighPassFilterFrequency(), 400.5f);
}

TEST_F(MixerWindows, TypedFrequenciesAreFilteredParsedAndClampedByTheSlider) {
    useLines(numberedLines(1));
    TfrmRecFlt filters(*recorder);
    filters.Edit1->clear();
    type(filters.Edit1, QStringLiteral("30\r"));
    EXPECT_EQ(filters.TrackBar1->value(), 40);
    EXPECT_EQ(filters.Edit1->text(), QStringLiteral("40"));
    EXPECT_EQ(recorder->NotchFilterFrequency(), 40.0f);
    // Already at 40, the slider does not move; the box still shows what is in force.
    filters.Edit1->clear();
    type(filters.Edit1, QStringLiteral("30"));
    filters.EditExit(TfrmRecFlt::kNotch);
    EXPECT_EQ(filters.Edit1->text(), QStringLiteral("40"));

    filters.Edit3->clear();
    type(filters.Edit3, QStringLiteral("50000\r"));
    EXPECT_EQ(filters.Edit3->text(), QStringLiteral("44100"));
    EXPECT_EQ(recorder->LowPassFilterFrequency(), 44100.0f);

    // Letters are dropped, Backspace and the decimal separator pass; a decimal does not
    // parse, so the box returns to the slider and the recorder is not touched.
    const QString separator = QLocale().decimalPoint();
    filters.Edit2->clear();
    type(filters.Edit2, QStringLiteral("1a2 x\b5") + separator + QStringLiteral("5"));
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("15") + separator + QStringLiteral("5"));
    const float before = recorder->HighPassFilterFrequency();
    type(filters.Edit2, QStringLiteral("\r"));
    EXPECT_EQ(filters.Edit2->text(), QStringLiteral("400"));
    EXPECT_EQ(recorder->HighPassFilterFrequency(), before);
}
