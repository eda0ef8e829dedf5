#include "tests/app/journey/journey_run.h"

#include "app/tform1.h"
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "audio/audio_player2.h"
#include "audio/devices/audio_backend.h"
#include "files/rename_form.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "settings/recording_settings.h"
#include "tests/app/journey/journey_sound.h"
#include "tests/support/event_loop.h"
#include "tests/support/test_settings.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace journey {

namespace {

constexpr int kHeardFrames = 1024;    // the stretch of a playback's start whose tone is read
constexpr int kHeardSkip = 256;       // frames skipped first, past a decoder's settling
constexpr int kModalLimitMs = 10000;  // an answered dialog still open after this hangs

QString lookName(TNCTPlayButtonB2::TShownState state) {
    switch (state) {
        case TNCTPlayButtonB2::TShownState::Stop:
            return QStringLiteral("Stop");
        case TNCTPlayButtonB2::TShownState::Play:
            return QStringLiteral("Play");
        case TNCTPlayButtonB2::TShownState::Pause:
            return QStringLiteral("Pause");
        case TNCTPlayButtonB2::TShownState::Record:
            return QStringLiteral("Record");
    }
    return QString();
}

QString rowPath(const QTreeWidgetItem *row) {
    return row->text(3) + row->text(0);
}

QString sideName(Side side) {
    return side == Side::Idle      ? QStringLiteral("idle")
           : side == Side::Running ? QStringLiteral("running")
                                   : QStringLiteral("paused");
}

}  // namespace

JourneyRun::JourneyRun(AudioBackend &backend) : backend_(backend) {
    setExecutableDirectoryForTesting(dir_.path() + QLatin1Char('/'));
    testRecordingSettings() = RecordingSettings();
    testCaptureSettings() = CaptureSettings();
    preparedDir_ = dir_.filePath(QStringLiteral("Prepared"));
    QDir().mkpath(preparedDir_);
    for (const QString &file : preparedFiles()) {
        const QString copy = preparedDir_ + QLatin1Char('/') + QFileInfo(file).fileName();
        QFile::copy(file, copy);
        FileFacts facts;
        facts.prepared = true;
        facts.lengthMs = kPreparedSeconds * 1000;
        model_.files[copy] = facts;
    }
    // Every journey starts with the card's outputs unmuted, whatever the last one left.
    const int outputs = static_cast<int>(backend_.devices(Direction::Output).size());
    for (int device = 0; device < outputs; ++device) {
        const std::vector<MixerLine> lines = backend_.mixerLines(Direction::Output, device);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].hasMute && lines[i].mute)
                backend_.setLineMute(Direction::Output, device, static_cast<int>(i), false);
        }
    }
    QCoreApplication::processEvents();
    modalPoll_.setInterval(5);
    QObject::connect(&modalPoll_, &QTimer::timeout, [this] { answerModals(); });
    modalPoll_.start();
}

JourneyRun::~JourneyRun() {
    closeProgram();
    setExecutableDirectoryForTesting(QString());
}

std::optional<Failure> JourneyRun::run(const std::vector<Step> &steps) {
    startProgram();
    if (failure_.isEmpty())
        compare();
    if (!failure_.isEmpty())
        return Failure{-1, failure_};
    for (stepIndex_ = 0; stepIndex_ < static_cast<int>(steps.size()); ++stepIndex_) {
        messages_.clear();
        messagesExpected_ = false;
        loadedByStep_ = false;
        take(steps[static_cast<size_t>(stepIndex_)]);
        if (failure_.isEmpty()) {
            followTheWindow();
            compare();
        }
        if (trace_)
            traceStep(steps[static_cast<size_t>(stepIndex_)]);
        if (!failure_.isEmpty())
            return Failure{stepIndex_, failure_};
    }
    return std::nullopt;
}

void JourneyRun::startProgram() {
    window_ = std::make_unique<TForm1>(backend_, testRecordingSettings(), testCaptureSettings());
    window_->TimerTip->stop();  // no tip window in the way
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QCoreApplication::processEvents();
    // The rename dialog comes once the window is on the screen, as the program makes it.
    renameForm_ = std::make_unique<TRenameForm>(window_.get());
    window_->setRenameForm(renameForm_.get());
    model_.muted = window_->NCTPlayButtonB1->Mute();
}

void JourneyRun::closeProgram() {
    if (!window_)
        return;
    window_->close();
    QCoreApplication::processEvents();
    renameForm_.reset();
    window_.reset();
}

void JourneyRun::take(const Step &step) {
    switch (step.act) {
        case Act::Record:
            return record(step);
        case Act::Pause:
            return pause(step);
        case Act::Stop:
            return stop(step);
        case Act::Play:
            return play(step);
        case Act::Wait:
            testsupport::spin(100 + static_cast<int>(step.a % 600));
            return;
        case Act::Slider:
            return moveSlider(step);
        case Act::ClickRow:
            if (clickRow(step.a) >= 0)
                loadedByStep_ = true;
            return;
        case Act::Rename:
            return rename(step);
        case Act::DeleteFromDisk:
            return deleteFromDisk(step);
        case Act::TagApply:
            return applyTitle(step);
        case Act::Open:
            return open(step);
        case Act::Mute:
            return mute();
        case Act::Volume:
            return volume(step);
        case Act::Format:
            return format(step);
        case Act::AutoStop:
            return autoStop(step);
        case Act::AutoSplit:
            return autoSplit(step);
        case Act::Restart:
            return restart();
    }
}

void JourneyRun::transport(int barCode, uint32_t source) {
    TForm1 &w = *window_;
    QAction *menu = barCode == TNCTPlayButtonB2::kRecord  ? w.Record1
                    : barCode == TNCTPlayButtonB2::kPlay  ? w.Play1
                    : barCode == TNCTPlayButtonB2::kPause ? w.Pause1
                                                          : w.Stop1;
    switch (source % 3) {
        case 0:
            QTest::mouseClick(w.NCTPlayButtonB1, Qt::LeftButton, {},
                              w.NCTPlayButtonB1->buttonRect(barCode).center());
            break;
        case 1:
            menu->trigger();
            break;
        default:
            if (!menu->shortcut().isEmpty()) {
                const QKeyCombination key = menu->shortcut()[0];
                w.activateWindow();
                if (!QTest::qWaitForWindowActive(&w))
                    return fail(QStringLiteral("the window cannot take the keyboard"));
                QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
                QTest::keyClick(target, key.key(), key.keyboardModifiers());
            } else {
                menu->trigger();
            }
            break;
    }
}

void JourneyRun::record(const Step &step) {
    const Side before = model_.recording;
    transport(TNCTPlayButtonB2::kRecord, step.a);
    if (before == Side::Running)
        return;
    TForm1 &w = *window_;
    if (before == Side::Paused) {
        settle([&] { return w.statusPanel(0) == QLatin1String("Recording..."); },
               QStringLiteral("a resumed recording to show \"Recording...\""));
        model_.recording = Side::Running;
        return;
    }
    if (!settle([&] { return w.flgRecord && !w.CurrentFileName().isEmpty(); },
                QStringLiteral("the recording to start")))
        return;
    const QString path = w.CurrentFileName();
    if (!path.endsWith(model_.ext))
        return fail(QStringLiteral("the recording %1 does not have the chosen format %2")
                        .arg(path, model_.ext));
    if (model_.fileExists(path))
        return fail(QStringLiteral("the recording %1 took the name of an existing file").arg(path));
    model_.recording = Side::Running;
    model_.recordingPath = path;
    model_.files[path] = FileFacts();
    model_.current = path;
    model_.loaded = true;
    model_.shownTitle.clear();
    loadedByStep_ = true;
}

void JourneyRun::pause(const Step &step) {
    transport(TNCTPlayButtonB2::kPause, step.a);
    TForm1 &w = *window_;
    if (model_.playback == Side::Running)
        model_.playback = Side::Paused;
    if (model_.recording == Side::Running) {
        model_.recording = Side::Paused;
        settle([&] { return w.flgPauseRecord; }, QStringLiteral("the recording to pause"));
    }
}

void JourneyRun::stop(const Step &step) {
    transport(TNCTPlayButtonB2::kStop, step.a);
    TForm1 &w = *window_;
    if (model_.playback != Side::Idle) {
        model_.playback = Side::Idle;
        model_.playingPath.clear();
        model_.sliderWhileStopped = 0;
    }
    if (model_.recording != Side::Idle) {
        if (!settle([&] { return !w.flgRecord; }, QStringLiteral("the recording to stop")))
            return;
        finishRecordingInModel();
        loadedByStep_ = true;
    }
}

void JourneyRun::finishRecordingInModel() {
    const QString path = model_.recordingPath;
    model_.recording = Side::Idle;
    model_.recordingPath.clear();
    model_.sliderWhileStopped = 0;
    model_.listFinished(path);
    TAudioInformation2 info;
    if (info.GetAudioInformation(path))
        model_.files[path].lengthMs = info.Duration();
    TAudioFile2 reader;
    reader.OpenFile(path, 0, 1);
    model_.files[path].empty = reader.LastErrorNum() == 0 && reader.nSamples() <= 0;
    reader.CloseFile();
}

void JourneyRun::play(const Step &step) {
    TForm1 &w = *window_;
    const Side before = model_.playback;
    const QString target = model_.playTarget();
    // While a recording runs its clock moves the slider, so where Play starts is not known.
    const int startPermille = model_.recording == Side::Idle ? model_.sliderWhileStopped : -1;
    const QString sink = dir_.filePath(QStringLiteral("heard%1.wav").arg(++sinkCount_));
    qputenv("KORVANTA_VIRTUAL_SINK", QFile::encodeName(sink));
    // The list's own Play when the file is a row's, else the transport's.
    if (step.b % 4 == 0 && !model_.selected.isEmpty()) {
        showFileInfo();
        w.Play2()->trigger();
    } else {
        transport(TNCTPlayButtonB2::kPlay, step.a);
    }
    if (before == Side::Running)
        return;
    if (before == Side::Paused) {
        model_.playback = Side::Running;
        return;
    }
    // With nothing to play the playback is stopped, which puts the slider back to 0.
    if (target.isEmpty() || !model_.fileExists(target)) {
        model_.sliderWhileStopped = 0;
        messagesExpected_ = !target.isEmpty();  // "File not found"
        return;
    }
    if (model_.files[target].empty) {
        model_.sliderWhileStopped = 0;  // stopped at once, without a word
        return;
    }
    if (model_.recording != Side::Idle && target == model_.recordingPath) {
        // Playing the file being written: whatever it plays, the window says so, and it
        // may say that nothing is in it yet.
        messagesExpected_ = true;
        model_.playback = w.flgPlay ? Side::Running : Side::Idle;
        model_.playingPath = target;
        return;
    }
    // A take a few milliseconds long may be over before the first look.
    if (!settle([&] { return w.flgPlay || QFileInfo(sink).size() > 44; },
                QStringLiteral("%1 to play").arg(target)))
        return;
    model_.playback = Side::Running;
    model_.playingPath = target;
    checkHeard(sink, target, startPermille);
}

void JourneyRun::checkHeard(const QString &sinkPath, const QString &file, int startPermille) {
    TForm1 &w = *window_;
    const qint64 wanted = 44 + qint64(kHeardSkip + kHeardFrames) * 2 * 2;
    testsupport::waitUntil([&] { return QFileInfo(sinkPath).size() >= wanted || !w.flgPlay; },
                           3000);
    const FileFacts &facts = model_.files[file];
    int channels = 0, rate = 0;
    const std::vector<int16_t> heard = readSink(sinkPath, &channels, &rate);
    const size_t frames = channels ? heard.size() / size_t(channels) : 0;
    // Too little heard while it still plays says nothing (a starved machine); too little
    // from a playback that has ended is checked below, as nothing heard.
    if (frames < size_t(kHeardSkip + kHeardFrames) && w.flgPlay)
        return;
    const double hz = toneHz(heard, channels, rate, kHeardSkip, kHeardFrames);
    if (!facts.prepared) {
        // A recording's pitch is only roughly the microphone's: a pause joins stretches with
        // a jump of phase, and a take of a few milliseconds ends in a codec's settling noise.
        // What must not be heard is a prepared file.
        if (preparedSecondOf(hz) >= 0)
            fail(QStringLiteral("playing the recording %1 sounded like a prepared file (%2 Hz)")
                     .arg(file)
                     .arg(hz, 0, 'f', 0));
        return;
    }
    const int second = preparedSecondOf(hz);
    if (startPermille < 0) {
        // Anywhere in the file, so the stretch read may straddle two seconds.
        const bool inRange = hz > kFirstToneHz - kToneStepHz / 2 &&
                             hz < kFirstToneHz + kToneStepHz * (kPreparedSeconds - 0.5);
        if (hz != 0 && !inRange)
            fail(QStringLiteral("Play of %1 sounded like %2 Hz, no second of it")
                     .arg(QFileInfo(file).fileName())
                     .arg(hz, 0, 'f', 0));
        return;
    }
    const double startSeconds = startPermille / 1000.0 * kPreparedSeconds;
    if (startSeconds > kPreparedSeconds - 0.1)
        return;  // at the very end little or nothing is left to hear
    // The stretch read spans these seconds (a little more, for a lossy file's seek); across
    // a second's end its pitch lies between the two tones.
    const double readFrom = startSeconds + double(kHeardSkip) / kPreparedRate;
    const double readTo = readFrom + double(kHeardFrames) / kPreparedRate;
    const int first = static_cast<int>(std::floor(std::max(0.0, readFrom - 0.02)));
    const int last = static_cast<int>(std::floor(readTo + 0.02));
    const double lowest = kFirstToneHz + kToneStepHz * (first - 0.3);
    const double highest = kFirstToneHz + kToneStepHz * (last + 0.3);
    if (hz < lowest || hz > highest)
        fail(QStringLiteral("Play of %1 with the slider at %2 of 1000 should start %3 s in "
                            "(second %4), but %5 was heard (%6 Hz, %7 frames)")
                 .arg(QFileInfo(file).fileName())
                 .arg(startPermille)
                 .arg(startSeconds, 0, 'f', 2)
                 .arg(first)
                 .arg(second < 0 ? QStringLiteral("no prepared second")
                                 : QStringLiteral("second %1").arg(second))
                 .arg(hz, 0, 'f', 0)
                 .arg(frames));
}

void JourneyRun::moveSlider(const Step &step) {
    TForm1 &w = *window_;
    TNCTSliderB2 &slider = *w.NCTSliderB1;
    if (!slider.isEnabled())
        return;
    // The x whose value is closest to the one wanted.
    int bestX = 0, bestDistance = 1 << 30;
    for (int x = 0; x < slider.width(); ++x) {
        const int distance = std::abs(slider.valueAt(x) - static_cast<int>(step.a));
        if (distance < bestDistance) {
            bestDistance = distance;
            bestX = x;
        }
    }
    const QPoint at(bestX, slider.height() / 2);
    QTest::mousePress(&slider, Qt::LeftButton, {}, at);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, at);
    const int value = slider.Value();
    if (model_.playback == Side::Paused) {
        // A press during a pause ends the playback; Play starts afresh from the slider.
        model_.playback = Side::Idle;
        model_.playingPath.clear();
        model_.sliderWhileStopped = value;
    } else if (model_.playback == Side::Idle && model_.recording == Side::Idle) {
        model_.sliderWhileStopped = value;
    }
}

void JourneyRun::showFileInfo() {
    window_->FileInfo1->trigger();
    QCoreApplication::processEvents();
}

void JourneyRun::traceStep(const Step &step) {
    TForm1 &w = *window_;
    QStringList rows;
    for (int i = 0; i < w.ListView1()->topLevelItemCount(); ++i)
        rows << QFileInfo(rowPath(w.ListView1()->topLevelItem(i))).fileName();
    std::printf("%d %s: current %s (model %s), recording %d, playing %d, slider %d/%d, rows [%s]\n",
                stepIndex_, qPrintable(describe(step)),
                qPrintable(QFileInfo(w.currentFileName()).fileName()),
                qPrintable(QFileInfo(model_.current).fileName()), int(w.flgRecord), int(w.flgPlay),
                w.NCTSliderB1->Value(), 1000, qPrintable(rows.join(QStringLiteral(", "))));
}

bool JourneyRun::recordingMovedOn() {
    TForm1 &w = *window_;
    if (model_.recording == Side::Idle)
        return false;
    return !w.flgRecord ||
           w.ListView1()->topLevelItemCount() != static_cast<int>(model_.rows.size());
}

int JourneyRun::clickRow(uint32_t choice) {
    TForm1 &w = *window_;
    showFileInfo();
    QTreeWidget &list = *w.ListView1();
    if (list.topLevelItemCount() == 0)
        return -1;
    int index = 0;
    QTreeWidgetItem *row = nullptr;
    for (;;) {
        index = static_cast<int>(choice) % list.topLevelItemCount();
        row = list.topLevelItem(index);
        // Rows listed a moment ago are laid out, and scrolled to, only by the event loop.
        list.scrollToItem(row);
        QCoreApplication::processEvents();
        // The event loop may have finished a part or an auto-stopped take meanwhile; the
        // model follows that first, as it happened before the click.
        if (!recordingMovedOn())
            break;
        followTheWindow();
        if (!failure_.isEmpty())
            return -1;
    }
    const QRect place = list.visualItemRect(row);
    if (!list.viewport()->rect().contains(place.center())) {
        fail(QStringLiteral("row %1 cannot be brought into view").arg(index));
        return -1;
    }
    const bool highlighted = list.currentItem() == row && row->isSelected();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, place.center());
    const QString path = rowPath(row);
    model_.selected = path;
    if (!model_.fileExists(path)) {
        // A row whose file is gone is highlighted, says so, and cannot become current.
        messagesExpected_ = true;
        return index;
    }
    // A click on the highlighted row of the current file keeps what was typed into the tag
    // fields; any other click loads them from the file.
    if (!highlighted || path != model_.current)
        model_.shownTitle = model_.files[path].title;
    model_.current = path;
    model_.loaded = true;
    return index;
}

void JourneyRun::rename(const Step &step) {
    const int index = clickRow(step.a);
    if (index < 0)
        return;
    const QString old = model_.selected;
    const QString ext = old.mid(old.lastIndexOf(QLatin1Char('.')));
    const QString typed = QStringLiteral("Take%1").arg(step.b);
    const QString renamed = QFileInfo(old).path() + QLatin1Char('/') + typed + ext;
    onDialog_ = [typed](QWidget *dialog) {
        if (auto *form = qobject_cast<TRenameForm *>(dialog)) {
            form->Edit1->setText(typed);
            QTest::mouseClick(form->BtnOK, Qt::LeftButton);
        }
    };
    const bool refused = renamed != old && (QFileInfo::exists(renamed) || !model_.fileExists(old));
    window_->Rename1()->trigger();
    onDialog_ = nullptr;
    if (refused) {
        messagesExpected_ = true;  // the name is taken or the file is gone
        return;
    }
    if (renamed == old)
        return;
    model_.files[renamed] = model_.files[old];
    model_.files[old].exists = false;
    // Every row of the file follows it: the old name is gone from the disk.
    for (QString &row : model_.rows) {
        if (row == old)
            row = renamed;
    }
    for (QString *path : {&model_.current, &model_.selected, &model_.playingPath}) {
        if (*path == old)
            *path = renamed;
    }
}

void JourneyRun::deleteFromDisk(const Step &step) {
    const int index = clickRow(step.a);
    if (index < 0)
        return;
    const QString path = model_.selected;
    window_->Delete1()->trigger();  // the question is answered Yes
    messagesExpected_ = true;
    // Every row of the file goes with it: none would name anything any more.
    model_.rows.erase(std::remove(model_.rows.begin(), model_.rows.end(), path), model_.rows.end());
    model_.files[path].exists = false;
    model_.selected.clear();
}

void JourneyRun::applyTitle(const Step &step) {
    TForm1 &w = *window_;
    showFileInfo();
    const QString title = QStringLiteral("Title %1").arg(step.a);
    QLineEdit &field = *w.infoTitle();
    QTest::mouseClick(&field, Qt::LeftButton);
    field.selectAll();
    QTest::keyClicks(&field, title);
    // A playback may have reached its end meanwhile; nothing runs between this and the click.
    followTheWindow();
    if (!failure_.isEmpty())
        return;
    const bool allowed = model_.applyAllowed();
    if (w.btnApply()->isEnabled() != allowed)
        return fail(
            QStringLiteral("Apply is %1 for %2")
                .arg(allowed ? QStringLiteral("off") : QStringLiteral("on"), model_.current));
    QTest::mouseClick(w.btnApply(), Qt::LeftButton);
    model_.shownTitle = title;
    if (allowed)
        model_.files[model_.current].title = title;
}

void JourneyRun::open(const Step &step) {
    TForm1 &w = *window_;
    if (!w.Open1->isEnabled())
        return;
    const QStringList &prepared = preparedFiles();
    const QString path = preparedDir_ + QLatin1Char('/') +
                         QFileInfo(prepared[static_cast<int>(step.a) % prepared.size()]).fileName();
    onDialog_ = [path](QWidget *dialog) {
        // The user types the whole path into the name box and presses Enter.
        if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
            if (auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
                name->setText(path);
                QTest::keyClick(name, Qt::Key_Return);
            }
        }
    };
    if (step.b % 2 == 0)
        w.Open1->trigger();
    else
        QTest::mouseClick(w.ToolBtnOpen, Qt::LeftButton);
    onDialog_ = nullptr;
    if (!model_.fileExists(path)) {
        messagesExpected_ = true;
        return;
    }
    model_.listFinished(path);
    loadedByStep_ = true;
    // Open during a playback resumes a paused one and leaves a running one alone.
    if (model_.playback == Side::Paused)
        model_.playback = Side::Running;
}

void JourneyRun::mute() {
    TForm1 &w = *window_;
    QTest::mouseClick(w.NCTPlayButtonB1, Qt::LeftButton, {},
                      w.NCTPlayButtonB1->buttonRect(TNCTPlayButtonB2::kMute).center());
    model_.muted = !model_.muted;
    // The sound server's report of the change comes back through the event loop.
    testsupport::spin(50);
}

void JourneyRun::volume(const Step &step) {
    TNCTPlayButtonB2 &bar = *window_->NCTPlayButtonB1;
    const QRect r = bar.volumeRect();
    const QPoint at(r.left() + static_cast<int>(step.a) * (r.width() - 1) / 999, r.center().y());
    QTest::mouseClick(&bar, Qt::LeftButton, {}, at);
}

void JourneyRun::format(const Step &step) {
    TForm1 &w = *window_;
    if (!w.Options2->isEnabled())
        return;
    static const char *const kExts[] = {".mp3", ".wav", ".wma", ".flac", ".opus", ".ogg"};
    const int choice = static_cast<int>(step.a % 6);
    onDialog_ = [choice](QWidget *dialog) {
        auto *form = qobject_cast<TSettingForm *>(dialog);
        if (!form)
            return;
        QRadioButton *buttons[] = {form->RBMP3,  form->RBWAV,  form->RBWMA,
                                   form->RBFLAC, form->RBOpus, form->RBVorbis};
        buttons[choice]->click();
        QTest::mouseClick(form->BtnOK, Qt::LeftButton);
    };
    w.Options2->trigger();
    onDialog_ = nullptr;
    model_.ext = QString::fromLatin1(kExts[choice]);
}

void JourneyRun::autoStop(const Step &step) {
    TForm1 &w = *window_;
    const int seconds = 1 + static_cast<int>(step.a % 3);
    const bool wasSet = w.ToolBtnAutostop->isChecked();
    onDialog_ = [seconds](QWidget *dialog) {
        auto *form = qobject_cast<TTimeLimitForm *>(dialog);
        if (!form)
            return;
        form->RBLimit->click();
        form->Edit1->setText(QStringLiteral("0"));
        form->Edit2->setText(QStringLiteral("0"));
        form->Edit3->setText(QString::number(seconds));
        QTest::mouseClick(form->BtnOK, Qt::LeftButton);
    };
    QTest::mouseClick(w.ToolBtnAutostop, Qt::LeftButton);
    onDialog_ = nullptr;
    model_.autoStopSeconds = wasSet ? -1 : seconds;
}

void JourneyRun::autoSplit(const Step &step) {
    TForm1 &w = *window_;
    if (!w.Options2->isEnabled())
        return;
    const int seconds = step.a % 3 == 0 ? 0 : 1 + static_cast<int>(step.a % 3);
    onDialog_ = [seconds](QWidget *dialog) {
        auto *form = qobject_cast<TSettingForm *>(dialog);
        if (!form)
            return;
        form->CheckSplit->setChecked(seconds > 0);
        if (seconds > 0) {
            form->Edit4->setText(QStringLiteral("0"));
            form->Edit5->setText(QString::number(seconds));
        }
        QTest::mouseClick(form->BtnOK, Qt::LeftButton);
    };
    w.Options2->trigger();
    onDialog_ = nullptr;
    model_.splitSeconds = seconds;
}

void JourneyRun::restart() {
    // Closing finishes a recording; the list does not outlive the program.
    const bool recording = model_.recording != Side::Idle;
    const QString path = model_.recordingPath;
    closeProgram();
    if (recording) {
        model_.files[path].exists = true;
        TAudioInformation2 info;
        if (info.GetAudioInformation(path))
            model_.files[path].lengthMs = info.Duration();
    }
    model_.recording = Side::Idle;
    model_.recordingPath.clear();
    model_.playback = Side::Idle;
    model_.playingPath.clear();
    model_.rows.clear();
    model_.current.clear();
    model_.selected.clear();
    model_.loaded = false;
    model_.shownTitle.clear();
    model_.sliderWhileStopped = 0;
    model_.splitSeconds = 0;  // split lives only as long as the program
    // A new process reads its settings afresh.
    testRecordingSettings() = RecordingSettings();
    testCaptureSettings() = CaptureSettings();
    const bool muted = model_.muted;
    startProgram();
    model_.muted = muted;  // the switch shows the line as it was left
}

bool JourneyRun::settle(const std::function<bool()> &done, const QString &what, int ms) {
    if (testsupport::waitUntil(done, ms))
        return true;
    // What the window said meanwhile is most of the story of a wait that came to nothing.
    QString said = QStringLiteral("; the status reads \"%1\"").arg(window_->statusPanel(0));
    if (!messages_.isEmpty())
        said += QStringLiteral(", messages: ") + messages_.join(QStringLiteral(" | "));
    fail(QStringLiteral("waited %1 ms for %2").arg(ms).arg(what) + said);
    return false;
}

void JourneyRun::followTheWindow() {
    TForm1 &w = *window_;
    QCoreApplication::processEvents();
    if (model_.recording != Side::Idle)
        followTheRecording();
    if (model_.playback != Side::Idle && !w.flgPlay) {
        model_.playback = Side::Idle;  // reached its end
        model_.playingPath.clear();
        model_.sliderWhileStopped = 0;
    }
}

void JourneyRun::followTheRecording() {
    TForm1 &w = *window_;
    QTreeWidget &list = *w.ListView1();
    const int known = static_cast<int>(model_.rows.size());
    const bool stopped = !w.flgRecord;
    if (stopped) {
        if (model_.autoStopSeconds <= 0)
            return fail(QStringLiteral("the recording stopped by itself"));
        // An auto stop finishes the take once its capture is in; its row comes last.
        if (!settle(
                [&] {
                    const int rows = list.topLevelItemCount();
                    return rows > known &&
                           rowPath(list.topLevelItem(rows - 1)) == w.CurrentFileName();
                },
                QStringLiteral("the auto-stopped recording to be listed")))
            return;
    } else if (list.topLevelItemCount() > known && model_.splitSeconds <= 0) {
        return fail(QStringLiteral("a row was listed while recording without a split"));
    }
    // Parts finished meanwhile, each followed by the next, the last by what now records.
    const int rows = list.topLevelItemCount();
    for (int i = known; i < rows; ++i) {
        const QString listed = rowPath(list.topLevelItem(i));
        if (listed != model_.recordingPath)
            return fail(QStringLiteral("%1 was listed while %2 was being recorded")
                            .arg(listed, model_.recordingPath));
        if (stopped && i == rows - 1)
            return finishRecordingInModel();
        const QString next = i + 1 < rows ? rowPath(list.topLevelItem(i + 1)) : w.CurrentFileName();
        model_.listFinished(listed);
        model_.recordingPath = next;
        model_.files[next] = FileFacts();
        model_.current = next;
        model_.shownTitle.clear();
    }
}

void JourneyRun::compare() {
    TForm1 &w = *window_;
    const QStringList status = model_.allowedStatus();
    if (!status.contains(w.statusPanel(0)))
        return fail(QStringLiteral("the status reads \"%1\", expected %2 (recording %3, "
                                   "playback %4)")
                        .arg(w.statusPanel(0), status.join(QStringLiteral(" or ")),
                             sideName(model_.recording), sideName(model_.playback)));
    const QStringList looks = model_.allowedLooks();
    if (!looks.contains(look()))
        return fail(QStringLiteral("the transport bar looks \"%1\", expected %2")
                        .arg(look(), looks.join(QStringLiteral(" or "))));
    QTreeWidget &list = *w.ListView1();
    QStringList shown, expected;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        shown << rowPath(list.topLevelItem(i));
    for (const QString &row : model_.rows)
        expected << row;
    if (shown != expected)
        return fail(
            QStringLiteral("the list shows [%1], expected [%2]")
                .arg(shown.join(QStringLiteral(", ")), expected.join(QStringLiteral(", "))));
    if (!model_.current.isEmpty() && w.currentFileName() != model_.current)
        return fail(QStringLiteral("the current file is %1, expected %2")
                        .arg(w.currentFileName(), model_.current));
    if (w.NCTPlayButtonB1->Mute() != model_.muted || lineMuted() != model_.muted)
        return fail(QStringLiteral("mute shows %1 and the line is %2, expected %3")
                        .arg(w.NCTPlayButtonB1->Mute())
                        .arg(lineMuted())
                        .arg(model_.muted));
    if (!messages_.isEmpty() && !messagesExpected_)
        return fail(
            QStringLiteral("unexpected message: %1").arg(messages_.join(QStringLiteral(" | "))));
    compareTags();
}

void JourneyRun::compareTags() {
    TForm1 &w = *window_;
    for (const auto &[path, facts] : model_.files) {
        const bool onDisk = QFileInfo::exists(path);
        if (onDisk != facts.exists)
            return fail(
                QStringLiteral("%1 is %2 on the disk")
                    .arg(path, onDisk ? QStringLiteral("still") : QStringLiteral("no longer")));
        const bool written = model_.recording != Side::Idle && path == model_.recordingPath;
        if (!onDisk || written)
            continue;
        TAudioInformation2 info;
        if (!info.GetAudioInformation(path))
            return fail(QStringLiteral("the tags of %1 cannot be read: %2")
                            .arg(path, info.LastErrorText()));
        if (info.infoTitle() != facts.title)
            return fail(QStringLiteral("%1 has the title \"%2\", expected \"%3\"")
                            .arg(QFileInfo(path).fileName(), info.infoTitle(), facts.title));
    }
    if (loadedByStep_ && model_.fileExists(model_.current) && w.fileInfoBuilt()) {
        const QString shown = w.infoTitle()->text();
        const bool written =
            model_.recording != Side::Idle && model_.current == model_.recordingPath;
        if (!written && shown != model_.shownTitle)
            fail(QStringLiteral("the tag editor shows the title \"%1\" for %2, expected \"%3\"")
                     .arg(shown, model_.current, model_.shownTitle));
    }
}

bool JourneyRun::lineMuted() const {
    const int device = window_->AudioPlayer1->devOutput();
    const std::vector<MixerLine> lines = backend_.mixerLines(Direction::Output, device);
    return !lines.empty() && lines[0].mute;
}

QString JourneyRun::look() const {
    return lookName(window_->NCTPlayButtonB1->ShownState());
}

void JourneyRun::fail(const QString &what) {
    if (failure_.isEmpty())
        failure_ = what;
}

void JourneyRun::answerModals() {
    // A dialog closed again may come back (the rename dialog lives as long as the window).
    answered_.erase(
        std::remove_if(answered_.begin(), answered_.end(),
                       [](const QPointer<QWidget> &w) { return !w || !w->isVisible(); }),
        answered_.end());
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal) {
        modalSince_.invalidate();
        return;
    }
    for (const QPointer<QWidget> &w : answered_) {
        if (w != modal)
            continue;
        // Answered, yet still open: a window that cannot be closed would hang the journey.
        if (modalSince_.isValid() && modalSince_.elapsed() > kModalLimitMs) {
            fail(QStringLiteral("the dialog \"%1\" stayed open").arg(modal->windowTitle()));
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        }
        return;
    }
    modalSince_.start();
    answered_.emplace_back(modal);
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        messages_ << box->text();
        QAbstractButton *answer = box->button(QMessageBox::Yes);
        if (!answer)
            answer = box->button(QMessageBox::Ok);
        QPointer<QMessageBox> guarded = box;
        QTimer::singleShot(0, box, [guarded, answer] {
            if (guarded && answer)
                answer->click();
            else if (guarded)
                guarded->done(0);
        });
        return;
    }
    QPointer<QWidget> dialog = modal;
    std::function<void(QWidget *)> handler = std::exchange(onDialog_, nullptr);
    QTimer::singleShot(0, modal, [dialog, handler] {
        if (!dialog)
            return;
        if (handler)
            handler(dialog);
        if (dialog && dialog->isVisible())
            dialog->close();
    });
}

}  // namespace journey
