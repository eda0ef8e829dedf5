// Level bar: a horizontal LED meter for one channel.
//
// Value is a linear peak amplitude of 16-bit samples (0..32767), as the devices report it.
// The bar shows it on a dBFS scale from kMinDb to 0 with green, yellow and red zones, and
// holds the highest recent level as a thin marker that falls back after a moment. A level of
// full scale (32767: a sample reached the limit and was clipped) lights a clip mark at the
// bar's end, held for kClipHoldMs after the last such level. The marker's and the mark's
// timing is PeakHold's (audio/dsp/peak_hold.h); the bar only wakes to show it.
//
// Cost: the bar is drawn from two pictures made once per size, all segments dark and all
// lit; a change repaints only the segments that went on or off, and a value that lights the
// same segments repaints nothing.
#pragma once

#include "audio/dsp/peak_hold.h"

#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

class QPainter;

class TNCTAmpBar2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxValue = 32767;
    static constexpr double kMinDb = -60.0;
    static constexpr double kYellowDb = -12.0;
    static constexpr double kRedDb = -3.0;
    static constexpr int kClipHoldMs = static_cast<int>(PeakHold::kClipHoldMs);

    explicit TNCTAmpBar2(QWidget *parent = nullptr);

    int Value() const { return value_; }
    // Clamped to 0..32767.
    void setValue(int Value);

    // Level as dBFS (kMinDb for silence) and as a fill fraction 0..1 of the bar.
    static double toDb(int value);
    static double toFraction(int value);
    // The fill as a whole percentage of the bar: what assistive technology reads.
    static int percent(int value);
    // The held peak marker as a fraction of the bar, 0 when none is shown.
    double peakFraction() const { return hold_.peak(); }
    // The clip mark is lit.
    bool clipLit() const { return clipHold_.isActive(); }

    QSize sizeHint() const override { return QSize(153, 21); }
    QSize minimumSizeHint() const override { return QSize(40, 6); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Layout {
        int left = 0;  // x of the first segment
        int step = 1;  // segment width plus gap
        int segments = 1;
    };
    // Segments lit for the level, and the one lit for the held peak (-1 for none).
    struct Lit {
        int count = 0;
        int peak = -1;
        bool operator==(const Lit &o) const { return count == o.count && peak == o.peak; }
    };

    void decayPeak();
    void armDecay();
    void clipHoldEnded();
    void paintClipMark(QPainter &p, const QRect &bar);
    Layout layout() const;
    Lit litFor(const Layout &l) const;
    // Schedules a repaint of the segments that differ from what was painted last.
    void repaintChanges();
    QRect segmentsRect(const Layout &l, int first, int last) const;
    void paintBar(QPixmap &target, bool lit) const;
    void invalidatePictures();

    int value_ = 0;
    double fraction_ = 0.0;  // of value_
    PeakHold hold_;          // on clock_
    QTimer decayTimer_;
    QElapsedTimer clock_;
    qint64 decayDueMs_ = 0;   // clock_ when decayTimer_ fires, while it runs for a gap
    qint64 lastValueMs_ = 0;  // clock_ at the last setValue
    QTimer clipHold_;         // runs while the clip mark is lit
    Lit shown_;               // what the last repaint asked for shows
    QPixmap dark_;
    QPixmap bright_;
};
