// The status bar's report on the capture, in a panel of its own at the bar's right end: how
// much recording still fits on the disk of the save folder at the current format (while idle
// and while recording), and during a recording the number of gaps the capture has had. It
// warns once per recording when less than five minutes fit, and sums up after the stop what
// the recording suffered: gaps, each with its place and length, and clipped samples. A gap is
// sound the capture lost (the server, the stream or the recorder's ring) or the output file's
// writer dropped because it fell too far behind.
//
// A recording (a take) runs from Record to Stop, split parts and pauses included; its counts
// are the recorder's running counts taken at its start and at its end.
#pragma once

#include "audio/audio_record2.h"
#include "recording/free_space_probe.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <vector>

class RecordingSession;
struct RecordingSettings;
class StatusPanel;
class QWidget;

class CaptureStatus : public QObject {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 1000;
    static constexpr int64_t kLowSeconds = 5 * 60;

    // The panel is made here, for the window to put into its status bar.
    CaptureStatus(TAudioRecord2 &recorder, RecordingSession &session,
                  const RecordingSettings &settings, QWidget *window);

    StatusPanel *panel() const { return panel_; }
    FreeSpaceProbe &probe() { return probe_; }

    // The save folder or the format may have changed: measure again.
    void settingsChanged();
    // A fresh recording is about to start its device: count from here.
    void takeStarted();
    // The recording is over. Returns what to tell the user about it, empty when it was clean.
    QString takeFinished();
    // A start that came to nothing: no report.
    void takeAbandoned();

    // The current take's counts (0 outside a take).
    TAudioRecord2::Gaps gaps() const;
    int64_t clippedSamples() const;
    // The recording has been warned about the disk filling up.
    bool lowSpaceWarned() const { return warned_; }

    // Where the current take's gaps are, in the order of their places.
    struct GapPlace {
        int atMs = 0;  // on the recording's clock
        int64_t frames = 0;
    };
    std::vector<GapPlace> gapPlaces() const;

private:
    void measure();
    // `last`: the index of the place a continued gap of this source lengthens.
    void notePlace(int atMs, int64_t frames, bool continues, int *last);
    void measured(const QString &folder, qint64 freeBytes);
    void showCounts();
    void show();
    void warnLowSpace(const QString &timeLeft);
    QString gapSeconds(int64_t frames) const;
    static QString clockText(int ms);
    QString placesText(const std::vector<GapPlace> &places) const;

    TAudioRecord2 &recorder_;
    const RecordingSettings &settings_;
    RecordingSession &session_;
    QPointer<QWidget> window_;
    StatusPanel *panel_;
    FreeSpaceProbe probe_;
    QTimer refresh_;
    bool inTake_ = false;
    bool warned_ = false;
    TAudioRecord2::Gaps gapsAtStart_;
    int64_t clippedAtStart_ = 0;
    int64_t writerGapsAtStart_ = 0;
    int64_t writerFramesAtStart_ = 0;
    std::vector<GapPlace> places_;
    int lastCapturePlace_ = -1;
    int lastWriterPlace_ = -1;
    int64_t shownGaps_ = 0;
    QString timeLeft_;
};
