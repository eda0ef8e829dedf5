// What the display widgets repaint: the changed parts only, yet exactly what a full repaint
// would show; nothing, and no spectrum analysis, while nobody can see them.
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"
#include "widgets/spectrum_painters.h"

#include "tests/widgets/test_signals.h"

#include <QCoreApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsignals::sine;

namespace {

// A picture of the widget kept the way a screen keeps it: each paint event redraws only the
// region it covers. If a widget asks for too small a region, the picture goes stale and no
// longer matches a full repaint.
class ScreenMirror : public QObject {
public:
    explicit ScreenMirror(QWidget &widget) : widget_(widget) {
        widget_.installEventFilter(this);
        for (QWidget *child : widget_.findChildren<QWidget *>())
            child->installEventFilter(this);
        settle();
        screen_ = full();
        painted_ = QRegion();
        paints_ = 0;
    }

    // Delivers the pending paint events and copies what they covered.
    void settle() {
        // Window updates may wait for the next frame timer.
        QTest::qWait(30);
        if (pending_.isEmpty())
            return;
        const QImage now = full();
        if (now.size() != screen_.size()) {
            // Resized: whatever the screen held is gone; what was not painted shows black.
            screen_ = QImage(now.size(), now.format());
            screen_.fill(Qt::black);
        }
        QPainter p(&screen_);
        p.setClipRegion(pending_);
        p.drawImage(0, 0, now);
        pending_ = QRegion();
    }

    bool matchesFullRepaint() { return stale().isNull(); }
    // Where the kept picture differs from a full repaint (a null rectangle when nowhere).
    QRect stale() {
        const QImage now = full();
        if (now.size() != screen_.size())
            return now.rect();
        QRect r;
        for (int y = 0; y < now.height(); ++y) {
            for (int x = 0; x < now.width(); ++x) {
                if (now.pixel(x, y) != screen_.pixel(x, y))
                    r |= QRect(x, y, 1, 1);
            }
        }
        return r;
    }
    // Everything painted since the last reset, and how many paint events did it.
    QRegion painted() const { return painted_; }
    int paints() const { return paints_; }
    void reset() {
        painted_ = QRegion();
        paints_ = 0;
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override {
        if (event->type() == QEvent::Paint && !grabbing_) {
            const QPoint at = static_cast<QWidget *>(object)->mapTo(&widget_, QPoint());
            const QRegion region = static_cast<QPaintEvent *>(event)->region().translated(at);
            pending_ += region;
            painted_ += region;
            ++paints_;
        }
        return false;
    }

private:
    QImage full() {
        grabbing_ = true;
        QImage image = widget_.grab().toImage();
        grabbing_ = false;
        return image;
    }

    QWidget &widget_;
    QImage screen_;
    QRegion pending_;
    QRegion painted_;
    int paints_ = 0;
    bool grabbing_ = false;
};

// Where two pictures differ, as "x,y wxh" ("" when nowhere).
std::string difference(const QImage &a, const QImage &b) {
    if (a.size() != b.size())
        return "sizes differ";
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    QRect r;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            if (x.pixel(col, row) != y.pixel(col, row))
                r |= QRect(col, row, 1, 1);
        }
    }
    if (r.isNull())
        return std::string();
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

// Largest difference of any colour channel between two pictures of the same size.
int largestChannelDifference(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

int area(const QRegion &region) {
    int sum = 0;
    for (const QRect &r : region)
        sum += r.width() * r.height();
    return sum;
}

template <typename Widget>
void showAndWait(Widget &w, QSize size) {
    w.resize(size);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

TEST(Repaint, TimeDisplayRedrawsTheChangedDigitsOnly) {
    TNCTTimeDisplay2 d;
    showAndWait(d, QSize(121, 33));
    ScreenMirror mirror(d);
    const int whole = d.width() * d.height();
    int ms = 0;
    // Tenths tick over; then seconds, minutes and hours roll over too.
    for (int step : {100, 100, 100, 800, 59000, 3540000, 100, 9, 1}) {
        ms += step;
        mirror.reset();
        d.setMilliseconds(ms);
        mirror.settle();
        EXPECT_TRUE(mirror.matchesFullRepaint()) << "at " << ms << " ms";
        if (step == 100) {
            EXPECT_LT(area(mirror.painted()), whole / 4) << "at " << ms << " ms";
        }
    }
    // Below a tenth nothing changes on screen, so nothing is painted.
    EXPECT_EQ(mirror.paints(), 0);
    // A longer text (three hour digits) lays the readout out anew.
    d.setMilliseconds(100 * 3600000 + 1);
    mirror.settle();
    EXPECT_TRUE(mirror.matchesFullRepaint());
    d.setEnabled(false);
    mirror.settle();
    EXPECT_TRUE(mirror.matchesFullRepaint());
}

TEST(Repaint, LevelBarRedrawsTheSegmentsThatChangedOnly) {
    TNCTAmpBar2 bar;
    showAndWait(bar, QSize(153, 21));
    ScreenMirror mirror(bar);
    for (int value : {32767, 16000, 16010, 300, 0, 8000, 1, 32767}) {
        bar.setValue(value);
        mirror.settle();
        EXPECT_TRUE(mirror.matchesFullRepaint()) << "value " << value;
    }
    // A value that lights the same segments paints nothing.
    bar.setValue(20000);
    mirror.settle();
    mirror.reset();
    bar.setValue(20001);
    mirror.settle();
    EXPECT_EQ(mirror.paints(), 0);
    // A drop repaints the segments that went dark, not the whole bar; the held peak stays.
    bar.setValue(2000);
    mirror.settle();
    EXPECT_GT(mirror.paints(), 0);
    EXPECT_LT(area(mirror.painted()), bar.width() * bar.height());
    EXPECT_TRUE(mirror.matchesFullRepaint());
    // The peak marker falls back on its own timer; every step of it stays right.
    for (int i = 0; i < 10; ++i) {
        QTest::qWait(200);
        mirror.settle();
        EXPECT_TRUE(mirror.matchesFullRepaint()) << "after " << (i + 1) * 200 << " ms";
    }
    bar.resize(200, 14);
    mirror.settle();
    EXPECT_TRUE(mirror.matchesFullRepaint());
}

TEST(Repaint, SliderRedrawsTheStretchTheThumbCrossed) {
    TNCTSliderB2 slider;
    showAndWait(slider, QSize(400, 20));
    ScreenMirror mirror(slider);
    for (int value : {1, 2, 5, 300, 304, 308, 999, 1000, 700, 0, 500}) {
        mirror.reset();
        slider.setValue(value);
        mirror.settle();
        EXPECT_TRUE(mirror.matchesFullRepaint()) << "value " << value;
        if (value == 304 || value == 308) {
            EXPECT_LT(area(mirror.painted()), slider.width() * slider.height() / 4);
        }
    }
    slider.setEnabled(false);
    mirror.settle();
    EXPECT_TRUE(mirror.matchesFullRepaint());
}

TEST(Repaint, SpectrumRedrawsChangedColumnsAndMatchesAFullRepaint) {
    using VisType = TAudioVisualization2::TVisType;
    for (VisType type : {VisType::vtFFTNormal, VisType::vtFFTAnalog, VisType::vtFFTLinear,
                         VisType::vtFFTKryptonite}) {
        SCOPED_TRACE(static_cast<int>(type));
        TAudioVisualization2 v;
        v.setVisType(type);
        showAndWait(v, QSize(360, 220));
        ScreenMirror mirror(v);
        int offset = 0;
        for (double hz : {1000.0, 1000.0, 250.0, 6000.0}) {
            v.SendArray(sine(hz, 2048, 0.4, 2, offset));
            offset += 2048;
            mirror.settle();
            EXPECT_TRUE(mirror.matchesFullRepaint()) << hz << " Hz";
        }
        // Falling back in silence, then cleared.
        for (int i = 0; i < 5; ++i) {
            v.SendArray(testsignals::silence(2048));
            mirror.settle();
            const QRect stale = mirror.stale();
            EXPECT_TRUE(stale.isNull()) << "silence " << i << ": " << stale.x() << "," << stale.y()
                                        << " " << stale.width() << "x" << stale.height();
        }
        mirror.reset();
        v.SendArray(SampleArray());
        mirror.settle();
        EXPECT_TRUE(mirror.matchesFullRepaint());
        EXPECT_TRUE(v.isClear());
        // A cleared view cleared again paints nothing.
        mirror.reset();
        v.SendArray(SampleArray());
        mirror.settle();
        EXPECT_EQ(mirror.paints(), 0);
    }
}

TEST(Repaint, ShownSpectrumRunsOneAnalysisPerBlockAndOnePaint) {
    TAudioVisualization2 v;
    showAndWait(v, QSize(360, 220));
    ScreenMirror mirror(v);
    const int before = v.analysisCount();
    for (int i = 0; i < 5; ++i) {
        v.SendArray(sine(440.0 * (i + 1), 2048));
        mirror.settle();
    }
    EXPECT_EQ(v.analysisCount() - before, 5);
    EXPECT_EQ(mirror.paints(), 5);
    // Reading the levels analyses nothing more.
    (void)v.levels();
    EXPECT_EQ(v.analysisCount() - before, 5);
}

TEST(Repaint, SpectrumOnAHiddenTabNeitherAnalysesNorPaints) {
    QTabWidget tabs;
    auto *view = new TAudioVisualization2;
    tabs.addTab(view, QStringLiteral("Record Sound"));
    tabs.addTab(new QWidget, QStringLiteral("File Info"));
    showAndWait(tabs, QSize(400, 300));
    ScreenMirror mirror(*view);
    tabs.setCurrentIndex(1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->isShowing());
    mirror.reset();
    const int before = view->analysisCount();
    for (int i = 0; i < 10; ++i) {
        view->SendArray(sine(1000.0, 2048));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(view->analysisCount(), before);
    EXPECT_EQ(mirror.paints(), 0);

    // Shown again, it catches up with one analysis and shows the last block.
    tabs.setCurrentIndex(0);
    mirror.settle();
    EXPECT_TRUE(view->isShowing());
    EXPECT_EQ(view->analysisCount(), before + 1);
    EXPECT_FALSE(view->isClear());
    EXPECT_TRUE(mirror.matchesFullRepaint());
}

TEST(Repaint, SpectrumInAMinimisedWindowNeitherAnalysesNorPaints) {
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new TAudioVisualization2;
    layout->addWidget(view);
    showAndWait(window, QSize(400, 300));
    ScreenMirror mirror(*view);
    window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->isShowing());
    mirror.reset();
    const int before = view->analysisCount();
    for (int i = 0; i < 10; ++i) {
        view->SendArray(sine(1000.0, 2048));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(view->analysisCount(), before);
    EXPECT_EQ(mirror.paints(), 0);
    // Whoever asks for the levels gets those of the newest block, analysed once.
    EXPECT_FALSE(view->isClear());
    EXPECT_EQ(view->analysisCount(), before + 1);
}

// Plain bars: what a noisy signal leaves on screen after many partial repaints is what one
// full paint shows, and what the bar painter draws with each bar's top on a whole row.
TEST(Repaint, PlainBarsFromPartialRepaintsMatchAFullPaintAndTheBarPainter) {
    TAudioVisualization2 v;
    showAndWait(v, QSize(360, 220));
    ScreenMirror mirror(v);
    for (unsigned block = 0; block < 30; ++block) {
        v.SendArray(block % 10 == 9 ? testsignals::silence(2048) : testsignals::noise(2048, block));
        mirror.settle();
        const QRect stale = mirror.stale();
        ASSERT_TRUE(stale.isNull()) << "block " << block << ": " << stale.x() << "," << stale.y()
                                    << " " << stale.width() << "x" << stale.height();
    }
    // Noise repaints far less than the whole plot each block.
    mirror.reset();
    v.SendArray(testsignals::noise(2048, 99));
    mirror.settle();
    EXPECT_GT(mirror.paints(), 0);

    const QImage partial = v.grab().toImage();
    // Made anew from the levels alone.
    v.setEnabled(false);
    v.setEnabled(true);
    EXPECT_EQ(difference(v.grab().toImage(), partial), "");

    // The bar painter's full-height bars over an empty plot, each cut at its top.
    TAudioVisualization2 empty;
    empty.resize(v.size());
    const QImage background = empty.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRectF plot = QRectF(v.rect().adjusted(30, 7, -7, -16));
    // Drawn as the view draws them, into a picture of the plot from its corner on: the
    // gradient's rounding follows the picture's origin.
    const QRect surface = v.rect().adjusted(29, 6, -6, -15);
    QImage lit = background.copy(surface);
    const std::vector<float> &levels = v.levels();
    const int n = static_cast<int>(levels.size());
    const std::vector<float> full(levels.size(), 1.0f);
    QPainter p(&lit);
    p.translate(-surface.topLeft());
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(plot.adjusted(-1, -1, 1, 1));
    spectrumpaint::paintNormal(p, spectrumpaint::Scene{plot, full, full, true, QRectF()});
    p.end();
    QImage expected = background;
    QPainter cut(&expected);
    for (int i = 0; i < n; ++i) {
        QRect bar = spectrumpaint::normalBarSpan(plot, n, i);
        bar.setTop(spectrumpaint::normalBarTop(plot, levels[static_cast<size_t>(i)]));
        cut.drawImage(bar, lit, bar.translated(-surface.topLeft()));
    }
    cut.end();
    EXPECT_EQ(difference(partial, expected), "");
}

// What the window really holds after many partial paints (the offscreen screen reads its
// backing store), not a full paint clipped to each paint's region: a paint that copies only
// the strips that moved must leave everything else in it as it was.
TEST(Repaint, PlainBarsOnScreenMatchAFullPaint) {
    TAudioVisualization2 v;
    showAndWait(v, QSize(360, 220));
    QTest::qWait(30);
    for (unsigned block = 0; block < 24; ++block) {
        v.SendArray(block % 8 == 7 ? testsignals::silence(2048) : testsignals::noise(2048, block));
        QTest::qWait(30);
        const QImage onScreen = v.screen()->grabWindow(v.winId()).toImage();
        ASSERT_EQ(difference(onScreen, v.grab().toImage()), "") << "block " << block;
    }
    // Many frames before the next paint (a compositor held it back): the strips they moved
    // are not all kept, and the paint still brings the whole picture up to date.
    for (unsigned block = 0; block < 20; ++block)
        v.SendArray(testsignals::noise(2048, 100 + block));
    QTest::qWait(30);
    EXPECT_EQ(difference(v.screen()->grabWindow(v.winId()).toImage(), v.grab().toImage()), "");
}

// A compositor that swaps buffers (Wayland's shared memory ones) hands a paint a buffer that
// holds an older frame, or anything: every pixel of a paint's region must be painted, none
// kept from the frame before. The plot's paint events are taken from the toolkit and painted
// again into a magenta buffer, of which the event's region lands on a kept picture; that
// picture must match a full paint after every frame of noisy sound.
TEST(Repaint, PlainBarsPaintTheirWholeRegionOverAnyBuffer) {
    class SwappedBuffers : public QObject {
    public:
        // `shown`: the plot as on screen now.
        SwappedBuffers(QWidget &plot, const QImage &shown) : plot_(plot), screen_(shown) {
            plot_.installEventFilter(this);
        }
        // Paints the taken events' regions over garbage onto the picture.
        void paintTaken() {
            for (const QRegion &region : taken_) {
                QImage buffer(plot_.size(), QImage::Format_ARGB32_Premultiplied);
                buffer.fill(Qt::magenta);
                replaying_ = true;
                // The region's corner lands at the given offset.
                plot_.render(&buffer, region.boundingRect().topLeft(), region,
                             QWidget::RenderFlags());
                replaying_ = false;
                QPainter p(&screen_);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                p.setClipRegion(region);
                p.drawImage(0, 0, buffer);
            }
            taken_.clear();
        }
        const QImage &screen() const { return screen_; }
        // The plot's part of a full paint of `view`, the plot's parent.
        QImage fullPaint(QWidget &view) {
            replaying_ = true;
            const QImage full = view.grab().toImage().copy(plot_.geometry());
            replaying_ = false;
            return full;
        }

    protected:
        bool eventFilter(QObject *, QEvent *event) override {
            if (event->type() != QEvent::Paint || replaying_)
                return false;
            taken_.push_back(static_cast<QPaintEvent *>(event)->region());
            return true;
        }

    private:
        QWidget &plot_;
        QImage screen_;
        std::vector<QRegion> taken_;
        bool replaying_ = false;
    };

    TAudioVisualization2 v;
    showAndWait(v, QSize(360, 220));
    QTest::qWait(30);
    QWidget *plot = v.findChild<QWidget *>();
    ASSERT_NE(plot, nullptr);
    SwappedBuffers buffers(*plot, v.grab().toImage().copy(plot->geometry()));
    for (unsigned block = 0; block < 24; ++block) {
        v.SendArray(block % 8 == 7 ? testsignals::silence(2048) : testsignals::noise(2048, block));
        QTest::qWait(30);
        buffers.paintTaken();
        const QImage full = buffers.fullPaint(v);
        ASSERT_EQ(difference(buffers.screen(), full), "") << "block " << block;
    }
}

// The readout's digits come from pictures made of them; every digit in every place, lit or
// greyed, looks as drawn with its segments.
TEST(Repaint, TimeDisplayDigitPicturesLookAsDrawnDirectly) {
    TNCTTimeDisplay2 d;
    showAndWait(d, QSize(121, 33));
    for (bool enabled : {true, false}) {
        d.setEnabled(enabled);
        for (int digit = 0; digit <= 9; ++digit) {
            // h:mm:ss.t all showing `digit` (minutes and seconds tens only up to 5).
            const int tens = std::min(digit, 5);
            const int ms = (digit * 10 + digit) * 3600000 + (tens * 10 + digit) * 60000 +
                           (tens * 10 + digit) * 1000 + digit * 100;
            d.setMilliseconds(ms);
            TNCTTimeDisplay2::setDrawDigitsDirectly(false);
            const QImage pictures = d.grab().toImage();
            TNCTTimeDisplay2::setDrawDigitsDirectly(true);
            const QImage direct = d.grab().toImage();
            TNCTTimeDisplay2::setDrawDigitsDirectly(false);
            EXPECT_EQ(difference(pictures, direct), "")
                << d.text().toStdString() << " enabled " << enabled;
        }
    }
}

TEST(Repaint, SliderRepaintsOnlyWhenTheThumbMovesAPixel) {
    TNCTSliderB2 slider;
    showAndWait(slider, QSize(120, 15));  // about nine values to a pixel
    ScreenMirror mirror(slider);
    slider.setValue(500);
    mirror.settle();
    const QRect before = slider.thumbRect();
    mirror.reset();
    int value = 500;
    while (slider.thumbRect() == before) {
        ++value;
        slider.setValue(value);
    }
    // Every value but the last left the thumb where it was.
    mirror.settle();
    EXPECT_EQ(mirror.paints(), 1);
    EXPECT_EQ(slider.Value(), value);
    EXPECT_TRUE(mirror.matchesFullRepaint());
}

// The groove and thumb come from pictures; they look as drawn with their outlines, anywhere
// along the groove, enabled or not, held or not (the thumb's rounded corners, laid over the
// groove, may round a channel differently by one or two).
TEST(Repaint, SliderPicturesLookAsDrawnDirectly) {
    TNCTSliderB2 slider;
    for (const QSize size : {QSize(400, 15), QSize(97, 11), QSize(250, 24)}) {
        showAndWait(slider, size);
        for (bool enabled : {true, false}) {
            slider.setEnabled(enabled);
            for (int value : {0, 1, 3, 10, 333, 999, 1000}) {
                slider.setValue(value);
                const QImage pictures = slider.grab().toImage();
                TNCTSliderB2::setDrawDirectly(true);
                const QImage direct = slider.grab().toImage();
                TNCTSliderB2::setDrawDirectly(false);
                ASSERT_EQ(pictures.size(), direct.size());
                EXPECT_LE(largestChannelDifference(pictures, direct), 2)
                    << size.width() << "x" << size.height() << " value " << value << " enabled "
                    << enabled;
            }
        }
    }
    // Held: the thumb's outline takes the accent colour, from a picture of its own.
    slider.setEnabled(true);
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, slider.thumbRect().center());
    const QImage held = slider.grab().toImage();
    TNCTSliderB2::setDrawDirectly(true);
    EXPECT_LE(largestChannelDifference(held, slider.grab().toImage()), 2);
    TNCTSliderB2::setDrawDirectly(false);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, slider.thumbRect().center());
    EXPECT_NE(difference(held, slider.grab().toImage()), "");
}
