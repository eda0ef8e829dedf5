#include "app/capture_status.h"

#include "app/status_panel.h"
#include "recording/recording_session.h"
#include "recording/time_left.h"
#include "settings/recording_settings.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QStringList>

#include <algorithm>

namespace {

// It asks for no room of its own: the bar gives it what the other panels leave (it stretches),
// so the file panels come first and its text gives way (shortened, whole as the tooltip)
// where the window is narrow. The text keeps to the bar's right end.
class CapturePanel : public StatusPanel {
public:
    explicit CapturePanel(Shortening shortening) : StatusPanel(shortening) {
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    QSize sizeHint() const override { return {0, StatusPanel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, StatusPanel::minimumSizeHint().height()}; }
};

QString gapsText(int64_t count) {
    if (count == 1)
        return QCoreApplication::translate("CaptureStatus", "1 gap");
    return QCoreApplication::translate("CaptureStatus", "%1 gaps").arg(count);
}

}  // namespace

CaptureStatus::CaptureStatus(TAudioRecord2 &recorder, RecordingSession &session,
                             const RecordingSettings &settings, QWidget *window)
    : QObject(window),
      recorder_(recorder),
      settings_(settings),
      session_(session),
      window_(window),
      panel_(new CapturePanel(StatusPanel::Shortening::End)) {
    panel_->setObjectName(QStringLiteral("CaptureStatusPanel"));
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &CaptureStatus::measure);
    connect(&probe_, &FreeSpaceProbe::measured, this, &CaptureStatus::measured);
    // The gap count follows the recording clock; reading two counters is all it costs.
    connect(&session, &RecordingSession::clockTicked, this, &CaptureStatus::showCounts);
    connect(&recorder, &TAudioRecord2::OnGap, this,
            [this](qint64 atFrame, qint64 frames, bool continues) {
                notePlace(session_.ClockMsAt(atFrame), frames, continues, &lastCapturePlace_);
            });
    connect(&session, &RecordingSession::writerGap, this,
            [this](int atMs, qint64 frames, bool continues) {
                notePlace(atMs, frames, continues, &lastWriterPlace_);
            });
}

void CaptureStatus::notePlace(int atMs, int64_t frames, bool continues, int *last) {
    if (!inTake_)
        return;
    if (continues && *last >= 0) {
        places_[static_cast<size_t>(*last)].frames += frames;
        return;
    }
    *last = static_cast<int>(places_.size());
    places_.push_back({std::max(atMs, 0), frames});
}

std::vector<CaptureStatus::GapPlace> CaptureStatus::gapPlaces() const {
    std::vector<GapPlace> sorted = places_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const GapPlace &a, const GapPlace &b) { return a.atMs < b.atMs; });
    return sorted;
}

void CaptureStatus::settingsChanged() {
    measure();
}

void CaptureStatus::takeStarted() {
    inTake_ = true;
    warned_ = false;
    gapsAtStart_ = recorder_.captureGaps();
    clippedAtStart_ = recorder_.clippedSamples();
    writerGapsAtStart_ = session_.writerGapCount();
    writerFramesAtStart_ = session_.writerGapFrames();
    places_.clear();
    lastCapturePlace_ = lastWriterPlace_ = -1;
    shownGaps_ = 0;
    refresh_.start();
    measure();
}

QString CaptureStatus::takeFinished() {
    if (!inTake_)
        return {};
    const TAudioRecord2::Gaps lost = gaps();
    const int64_t clipped = clippedSamples();
    takeAbandoned();

    const std::vector<GapPlace> places = gapPlaces();
    QStringList report;
    if (lost.count == 1 && places.size() == 1) {
        report << tr("1 gap in the recording at %1, %2 s long: the sound was lost there.")
                      .arg(clockText(places.front().atMs), gapSeconds(lost.frames));
    } else if (lost.count == 1) {
        report << tr("1 gap in the recording, %1 s long: the sound was lost there.")
                      .arg(gapSeconds(lost.frames));
    } else if (lost.count > 1 && !places.empty()) {
        report << tr("%1 gaps in the recording, %2 s in total: the sound was lost at %3.")
                      .arg(lost.count)
                      .arg(gapSeconds(lost.frames), placesText(places));
    } else if (lost.count > 1) {
        report << tr("%1 gaps in the recording, %2 s in total: the sound was lost there.")
                      .arg(lost.count)
                      .arg(gapSeconds(lost.frames));
    }
    if (clipped == 1)
        report << tr("1 sample reached full scale and is clipped.");
    else if (clipped > 1)
        report << tr("%1 samples reached full scale and are clipped.").arg(clipped);
    return report.join(QStringLiteral("\n\n"));
}

void CaptureStatus::takeAbandoned() {
    inTake_ = false;
    shownGaps_ = 0;
    refresh_.stop();
    // The count goes with the take at once, not when the free space is next known (a slow
    // or hung folder answers late, or never).
    show();
    measure();
}

TAudioRecord2::Gaps CaptureStatus::gaps() const {
    if (!inTake_)
        return {};
    const TAudioRecord2::Gaps now = recorder_.captureGaps();
    return {now.count - gapsAtStart_.count + session_.writerGapCount() - writerGapsAtStart_,
            now.frames - gapsAtStart_.frames + session_.writerGapFrames() - writerFramesAtStart_};
}

int64_t CaptureStatus::clippedSamples() const {
    return inTake_ ? recorder_.clippedSamples() - clippedAtStart_ : 0;
}

void CaptureStatus::measure() {
    const QString folder = settings_.SavePath;
    if (folder.isEmpty()) {
        timeLeft_.clear();
        show();
        return;
    }
    probe_.request(folder);
}

void CaptureStatus::measured(const QString &folder, qint64 freeBytes) {
    const RecordingSettings &settings = settings_;
    if (folder != settings.SavePath)
        return;  // an answer overtaken by a change of folder; the new one is on its way
    const ByteRate rate = RecordingByteRate(settings);
    const int64_t seconds = SecondsThatFit(freeBytes, rate);
    timeLeft_ = seconds < 0 ? QString() : TimeLeftText(seconds, rate.estimated);
    show();
    if (inTake_ && !warned_ && seconds >= 0 && seconds < kLowSeconds)
        warnLowSpace(timeLeft_);
}

void CaptureStatus::showCounts() {
    const int64_t count = gaps().count;
    if (count != shownGaps_) {
        shownGaps_ = count;
        show();
    }
}

void CaptureStatus::show() {
    QStringList parts;
    if (inTake_ && shownGaps_ > 0)
        parts << gapsText(shownGaps_);
    if (!timeLeft_.isEmpty())
        parts << timeLeft_;
    panel_->setFullText(parts.join(QStringLiteral(" \u00b7 ")));
}

// Said once per recording, without stopping it and without a modal box in the way of the
// Stop button: the user decides whether to stop or to make room.
void CaptureStatus::warnLowSpace(const QString &timeLeft) {
    warned_ = true;
    const QString text =
        tr("The disk that holds %1 is nearly full: %2 at this format. The recording stops "
           "when the disk is full.")
            .arg(QDir::toNativeSeparators(settings_.SavePath), timeLeft);
    auto *box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, window_);
    box->setObjectName(QStringLiteral("LowDiskSpaceWarning"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

// A place on the recording's clock: minutes and seconds to the hundredth ("2:05.43"), hours
// in front where there are any.
QString CaptureStatus::clockText(int ms) {
    const int hours = ms / 3600000;
    const int minutes = ms / 60000 % 60;
    const double seconds = (ms % 60000) / 1000.0;
    QString secondsText = QLocale().toString(seconds, 'f', 2);
    if (seconds < 10.0)
        secondsText.prepend(QLatin1Char('0'));
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(secondsText);
    return QStringLiteral("%1:%2").arg(minutes).arg(secondsText);
}

// The first few places with their lengths; the rest are only counted in the total.
QString CaptureStatus::placesText(const std::vector<GapPlace> &places) const {
    constexpr size_t kShown = 8;
    QStringList parts;
    for (size_t i = 0; i < places.size() && i < kShown; ++i)
        parts << tr("%1 (%2 s)").arg(clockText(places[i].atMs), gapSeconds(places[i].frames));
    if (places.size() > kShown)
        parts << QStringLiteral("\u2026");
    return parts.join(QStringLiteral(", "));
}

QString CaptureStatus::gapSeconds(int64_t frames) const {
    const int rate = recorder_.SecToSamples(1000);
    const double seconds = rate > 0 ? static_cast<double>(frames) / rate : 0.0;
    return QLocale().toString(seconds, 'f', 2);
}
