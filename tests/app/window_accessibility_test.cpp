// The main window as a keyboard-only or screen-reader user meets it: every control named,
// every painted control reached by Tab and operated by its keys with a real effect, menu
// mnemonics, page keys, the tag editor's order and the mixer volume's reading.
#include "audio/audio_player2.h"
#include "files/rename_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "playback/playback_session.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_equalizer2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <functional>
#include <set>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

class WindowAccessibilityTest : public WindowFixture {
protected:
    TForm1 &openActiveWindow() {
        TForm1 &w = openWindow();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        return w;
    }

    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }

    // The focus as "widget" or "widget/part" for the widgets with parts.
    static QString focusName() {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            return QStringLiteral("none");
        QString stop = focus->objectName().isEmpty()
                           ? QString::fromLatin1(focus->metaObject()->className())
                           : focus->objectName();
        if (auto *bar = qobject_cast<TNCTPlayButtonB2 *>(focus))
            stop += QStringLiteral("/%1").arg(bar->focusedPart());
        return stop;
    }
};

bool isInteractive(QAccessible::Role role) {
    switch (role) {
        case QAccessible::Button:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::Slider:
        case QAccessible::SpinBox:
        case QAccessible::PageTab:
        case QAccessible::MenuItem:
        case QAccessible::ProgressBar:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::ToolBar:
            return true;
        default:
            return false;
    }
}

void walk(QAccessibleInterface *iface, const std::function<void(QAccessibleInterface *)> &visit) {
    visit(iface);
    for (int i = 0; i < iface->childCount(); ++i) {
        if (QAccessibleInterface *child = iface->child(i))
            walk(child, visit);
    }
}

QString describe(QAccessibleInterface *iface) {
    QObject *object = iface->object();
    QString where = object ? QString::fromLatin1(object->metaObject()->className()) +
                                 QLatin1Char(' ') + object->objectName()
                           : QStringLiteral("part of ") + describe(iface->parent());
    return where + QStringLiteral(" role ") + QString::number(iface->role());
}

// The visible caption of a menu entry: the text without its mnemonic marks.
QString visibleText(const QString &caption) {
    QString text = caption;
    return text.remove(QLatin1Char('&'));
}

QChar mnemonic(const QString &caption) {
    const int at = caption.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < caption.size() ? caption.at(at + 1).toLower() : QChar();
}

}  // namespace

TEST_F(WindowAccessibilityTest, EveryControlHasARoleANameAndSlidersAValueAndRange) {
    TForm1 &w = openWindow();
    std::set<QString> problems;
    int sliders = 0;
    // Page by page, as the user sees them; what is hidden (a closed drop-down's list, the
    // tool bar's overflow button) is not met.
    for (int page = 0; page < w.PageControl1->count(); ++page) {
        w.PageControl1->setCurrentIndex(page);
        QCoreApplication::processEvents();
        walk(QAccessible::queryAccessibleInterface(&w), [&](QAccessibleInterface *iface) {
            const QAccessible::State state = iface->state();
            const QAccessible::Role role = iface->role();
            if (state.invisible)
                return;
            // What takes the focus must say what it is; the painted widgets used to be
            // fillers. A widget that hands its focus on to another is not a stop itself.
            auto *widget = qobject_cast<QWidget *>(iface->object());
            const bool stop = state.focusable && !(widget && widget->focusProxy());
            if (stop && (role == QAccessible::Client || role == QAccessible::NoRole))
                problems.insert(QStringLiteral("no role: ") + describe(iface));
            if (!isInteractive(role))
                return;
            if (iface->text(QAccessible::Name).trimmed().isEmpty())
                problems.insert(QStringLiteral("no name: ") + describe(iface));
            if (role == QAccessible::Slider) {
                ++sliders;
                QAccessibleValueInterface *value = iface->valueInterface();
                if (!value ||
                    !(value->minimumValue().toDouble() < value->maximumValue().toDouble()))
                    problems.insert(QStringLiteral("no value or range: ") + describe(iface));
            }
        });
    }
    QStringList listed(problems.begin(), problems.end());
    EXPECT_TRUE(listed.isEmpty()) << listed.join(QLatin1Char('\n')).toStdString();
    // The position, the volume knob and the mixer panels' volume and balance at least.
    EXPECT_GE(sliders, 4);

    // The painted strip, read as a screen reader reads it.
    auto name = [](QWidget *widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(w.NCTSliderB1), QStringLiteral("Position"));
    EXPECT_EQ(name(w.NCTAmpBar1), QStringLiteral("Left level"));
    EXPECT_EQ(name(w.NCTAmpBar2), QStringLiteral("Right level"));
    EXPECT_EQ(name(w.NCTTimeDisplay1), w.NCTTimeDisplay1->text());

    // Fields are named by the caption beside them; lists are labelled by theirs.
    EXPECT_EQ(name(w.infoTitle()), QStringLiteral("Title:"));
    EXPECT_EQ(name(w.infoComment()), QStringLiteral("Comment:"));
    auto labelOf = [](QWidget *widget) {
        const auto labels =
            QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    };
    EXPECT_EQ(labelOf(w.infoGenre()), QStringLiteral("Genre:"));
    EXPECT_EQ(labelOf(w.ComboBox1), QStringLiteral("FFTArraySize"));
    EXPECT_EQ(labelOf(w.ComboBox2), QStringLiteral("FFTWindowType"));
    EXPECT_EQ(labelOf(w.DeviceComboIn), QStringLiteral("Input Device"));
    EXPECT_EQ(labelOf(w.DeviceCombo), QStringLiteral("Output Device"));
}

TEST_F(WindowAccessibilityTest, TabReachesEveryPaintedControlInTheStripsOrder) {
    TForm1 &w = openActiveWindow();
    w.ComboBox1->setFocus(Qt::TabFocusReason);
    // Round the window's whole chain once, until a stop comes again.
    QStringList stops;
    QList<QPair<QWidget *, int>> seen;
    auto here = [] {
        QWidget *focus = QApplication::focusWidget();
        auto *bar = qobject_cast<TNCTPlayButtonB2 *>(focus);
        return qMakePair(focus, bar ? bar->focusedPart() : -1);
    };
    for (int i = 0; i < 200 && !seen.contains(here()); ++i) {
        seen << here();
        stops << focusName();
        press(Qt::Key_Tab);
    }
    const int first = stops.indexOf(QStringLiteral("TNCTSliderB2"));
    ASSERT_GE(first, 0) << stops.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(
        stops.mid(first, 10),
        (QStringList{QStringLiteral("TNCTSliderB2"), QStringLiteral("TNCTPlayButtonB2/0"),
                     QStringLiteral("TNCTPlayButtonB2/1"), QStringLiteral("TNCTPlayButtonB2/2"),
                     QStringLiteral("TNCTPlayButtonB2/3"), QStringLiteral("TNCTPlayButtonB2/4"),
                     QStringLiteral("TNCTPlayButtonB2/5"), QStringLiteral("TNCTAmpBar2"),
                     QStringLiteral("TNCTAmpBar2"), QStringLiteral("TNCTTimeDisplay2")}));
}

TEST_F(WindowAccessibilityTest, KeysPlaySeekPauseSetTheVolumeMuteAndStop) {
    const int frames = 88200;
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, frames);
    TForm1 &w = openActiveWindow();
    w.setCurrentFileName(path);
    TNCTPlayButtonB2 *bar = w.NCTPlayButtonB1;

    bar->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);  // Play
    ASSERT_TRUE(w.flgPlay);
    spin(250);

    // A key on the slider is a seek, as a click there is.
    w.NCTSliderB1->setFocus(Qt::TabFocusReason);
    press(Qt::Key_PageUp);
    const int target = w.NCTSliderB1->Value();
    EXPECT_GE(target, TNCTSliderB2::kPageStep);
    EXPECT_FALSE(w.SliderBusy);
    EXPECT_EQ(w.playbackSession().StartSamples(), std::lround(target * (frames / 1000.0)));
    EXPECT_TRUE(w.flgPlay);

    press(Qt::Key_Tab);    // Play
    press(Qt::Key_Right);  // Pause
    press(Qt::Key_Return);
    EXPECT_TRUE(w.flgPause);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Pause"));

    bar->setFocusedPart(TNCTPlayButtonB2::kVolumePart);
    w.AudioPlayer1->setDevVolume(65535);
    bar->ChangeVolume(65535);
    press(Qt::Key_Down);
    EXPECT_EQ(w.AudioPlayer1->devVolume(), 65535 - TNCTPlayButtonB2::kVolumeKeyStep);
    press(Qt::Key_PageDown);
    EXPECT_EQ(w.AudioPlayer1->devVolume(),
              65535 - TNCTPlayButtonB2::kVolumeKeyStep - TNCTPlayButtonB2::kVolumePageStep);

    press(Qt::Key_M);
    EXPECT_EQ(w.AudioPlayer1->srcOutput(), 0);
    EXPECT_TRUE(w.AudioPlayer1->srcMute());
    press(Qt::Key_M);
    EXPECT_FALSE(w.AudioPlayer1->srcMute());

    bar->setFocusedPart(2);  // Stop
    press(Qt::Key_Space);
    EXPECT_FALSE(w.flgPlay);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
}

TEST_F(WindowAccessibilityTest, EqualizerBandsMoveByKeysAndSwitchTheEqualizerOn) {
    TForm1 &w = openActiveWindow();
    TfrmEQ eq(*w.AudioPlayer1, w.chEqualizer());
    eq.show();
    eq.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&eq));
    ASSERT_EQ(w.chEqualizer()->checkState(), Qt::PartiallyChecked);

    eq.NCTEqualizer1->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Right);
    press(Qt::Key_PageUp);
    EXPECT_FLOAT_EQ(eq.gains()[1], TNCTEqualizer2::kPageStepDb);
    EXPECT_EQ(w.chEqualizer()->checkState(), Qt::Checked);
    EXPECT_TRUE(w.AudioPlayer1->EqualizerEnabled());

    // Tab leaves the bands for "Close" only after the last one.
    for (int i = 0; i < TNCTEqualizer2::kBands - 2; ++i)
        press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), eq.NCTEqualizer1);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), eq.BtnClose);
}

TEST_F(WindowAccessibilityTest, MenusHaveMnemonicsPauseHasAKeyAndPagesTurnFromAnywhere) {
    const QString path = writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, 88200);
    TForm1 &w = openActiveWindow();

    const QList<QAction *> menus = w.menuBar()->actions();
    QStringList titles;
    std::set<QChar> barKeys;
    for (QAction *menu : menus) {
        titles << visibleText(menu->text());
        EXPECT_TRUE(barKeys.insert(mnemonic(menu->text())).second) << menu->text().toStdString();
        std::set<QChar> keys;
        for (QAction *item : menu->menu()->actions()) {
            if (item->isSeparator())
                continue;
            const QChar key = mnemonic(item->text());
            EXPECT_FALSE(key.isNull()) << item->text().toStdString();
            EXPECT_TRUE(keys.insert(key).second) << item->text().toStdString();
        }
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("File"), QStringLiteral("Action"),
                                   QStringLiteral("Options"), QStringLiteral("Help")}));
    EXPECT_EQ(visibleText(w.PlaybackVolumeControls1->text()),
              QStringLiteral("Playback Volume Controls"));

    // Pause has a key of its own; every other key stays where it was.
    const QList<QKeySequence> commandKeys = {
        QKeySequence(Qt::CTRL | Qt::Key_O), QKeySequence(Qt::CTRL | Qt::Key_R),
        QKeySequence(Qt::CTRL | Qt::Key_P), QKeySequence(Qt::CTRL | Qt::Key_S),
        QKeySequence(Qt::Key_F2),           QKeySequence(Qt::Key_F1)};
    ASSERT_FALSE(w.Pause1->shortcuts().isEmpty());
    for (const QKeySequence &keys : w.Pause1->shortcuts())
        EXPECT_FALSE(commandKeys.contains(keys)) << keys.toString().toStdString();
    EXPECT_EQ(w.Open1->shortcut(), commandKeys[0]);
    EXPECT_EQ(w.Play1->shortcut(), commandKeys[2]);
    EXPECT_EQ(w.HelpContents2->shortcut(), commandKeys[5]);

    w.setCurrentFileName(path);
    w.NCTTimeDisplay1->setFocus(Qt::TabFocusReason);
    press(Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(w.flgPlay);
    press(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w.flgPause);
    w.Stop1Click();

    // Pages turn from the bottom strip and from a field, forwards and back, round and round.
    w.NCTSliderB1->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(w.PageControl1->currentIndex(), 1);
    press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(w.PageControl1->currentIndex(), 2);
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.PageControl1->currentIndex(), 1);
    press(Qt::Key_PageUp, Qt::ControlModifier);
    press(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(w.PageControl1->currentIndex(), 3);
    w.infoTitle()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(w.PageControl1->currentIndex(), 0);
}

TEST_F(WindowAccessibilityTest, TagEditorKeysFollowTheFieldsThenVersionButtonsAndList) {
    TForm1 &w = openActiveWindow();
    w.FileInfo1Click();
    w.btnReset()->setEnabled(true);
    w.btnApply()->setEnabled(true);
    w.infoTitle()->setFocus(Qt::TabFocusReason);
    QList<QWidget *> order{w.infoTitle()};
    while (order.size() < 14 && QApplication::focusWidget() != w.ListView1()) {
        press(Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        // The tag version group is one stop or two, as the style has it.
        if (focus == w.infoMTVv1() || focus == w.infoMTVv2())
            focus = w.infoMTV();
        if (order.last() != focus)
            order << focus;
    }
    EXPECT_EQ(order,
              (QList<QWidget *>{w.infoTitle(), w.infoArtist(), w.infoAlbum(), w.infoGenre(),
                                w.infoCopyright(), w.infoYear(), w.infoTrack(), w.infoComment(),
                                w.infoMTV(), w.btnReset(), w.btnApply(), w.ListView1()}));
}

TEST_F(WindowAccessibilityTest, MixerVolumeReadsZeroToHundredPercentTheRightWayRound) {
    TForm1 &w = openWindow();
    showMixerTabs(w);
    const QList<TsrcFrame *> panels = SourcePanelsOf(w.TabSheet4);
    ASSERT_FALSE(panels.isEmpty());
    TsrcFrame *panel = panels.first();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(panel->TrackBar1);
    QAccessibleValueInterface *value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(iface->text(QAccessible::Name).contains(panel->Label1->text()));

    panel->TrackBar1->setValue(0);  // the top: full volume
    EXPECT_EQ(value->currentValue().toInt(), 100);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("100 %"));
    EXPECT_FALSE(iface->text(QAccessible::Description).contains(QStringLiteral("65535")));
    panel->TrackBar1->setValue(65535);
    EXPECT_EQ(value->currentValue().toInt(), 0);

    // Setting it moves the line's volume as a drag would.
    w.AudioPlayer1->setSrcOutput(panel->Tag);
    value->setCurrentValue(25);
    EXPECT_EQ(w.AudioPlayer1->srcVolume(), 16384);
    EXPECT_EQ(panel->TrackBar1->value(), 65535 - 16384);
}

TEST_F(WindowAccessibilityTest, SecondaryWindowsNameTheirFieldsByTheirCaptions) {
    TForm1 &w = openWindow();
    auto name = [](QWidget *widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    TfrmRecFlt filters(*w.AudioRecord1);
    EXPECT_EQ(name(filters.TrackBar1), QStringLiteral("Notch Filter frequency"));
    EXPECT_EQ(name(filters.Edit3), QStringLiteral("LowPass Filter frequency in Hz"));
    TRenameForm rename;
    EXPECT_EQ(name(rename.Edit1), QStringLiteral("Input New Filename:"));
}
