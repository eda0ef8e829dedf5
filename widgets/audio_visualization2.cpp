#include "widgets/audio_visualization2.h"

#include "widgets/spectrum_painters.h"
#include "widgets/widget_style.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Columns jump up at once and sink by this much of the height per block.
constexpr float kFallPerBlock = 0.05f;
// Peak markers stay this many blocks, then sink slowly.
constexpr int kPeakHoldBlocks = 8;
constexpr float kPeakFallPerBlock = 0.02f;

constexpr double kLowestHz = 40.0;
constexpr double kHighestHz = 20000.0;

bool showsFrequencyLabels(TAudioVisualization2::TVisType type) {
    return type != TAudioVisualization2::TVisType::vtFFTGlass &&
           type != TAudioVisualization2::TVisType::vtFFTKryptonite;
}

bool showsDbLabels(TAudioVisualization2::TVisType type) {
    return type == TAudioVisualization2::TVisType::vtFFTNormal ||
           type == TAudioVisualization2::TVisType::vtFFTLinear;
}

QString hzLabel(double hz) {
    if (hz >= 1000.0)
        return QString::number(hz / 1000.0, 'g', 3) + QLatin1Char('k');
    return QString::number(hz, 'g', 3);
}

}  // namespace

// The plot area: opaque, so repainting columns repaints nothing behind them; mouse events
// and tooltips belong to the view.
class TAudioVisualization2::Surface : public QWidget {
public:
    explicit Surface(TAudioVisualization2 *view) : QWidget(view), view_(view) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *event) override {
        QPainter p(this);
        view_->paintSurface(p, event->region());
    }

private:
    TAudioVisualization2 *view_;
};

TAudioVisualization2::TAudioVisualization2(QWidget *parent)
    : QWidget(parent),
      analyzer_(SpectrumAnalyzer::kDefaultSize, FftWindow::None),
      surface_(new Surface(this)) {
    rebuildColumns();
}

TAudioVisualization2::~TAudioVisualization2() = default;

void TAudioVisualization2::setWindowArraySize(int WindowArraySize) {
    if (SpectrumAnalyzer::supportedSize(WindowArraySize) == analyzer_.windowSize())
        return;
    analyzer_.setWindowSize(WindowArraySize);
    rebuildColumns();
}

void TAudioVisualization2::setVisType(TVisType VisType) {
    if (VisType == visType_)
        return;
    visType_ = VisType;
    rebuildColumns();
    invalidateBackground();
}

void TAudioVisualization2::setWindowFFTType(TWindowFFTType WindowFFTType) {
    windowType_ = WindowFFTType;
    analyzer_.setWindow(static_cast<FftWindow>(WindowFFTType));
}

void TAudioVisualization2::setSampleRate(int SampleRate) {
    if (SampleRate <= 0 || SampleRate == sampleRate_)
        return;
    sampleRate_ = SampleRate;
    rebuildColumns();
    invalidateBackground();
}

const std::vector<float> &TAudioVisualization2::levels() const {
    // What a shown view would show by now: a block kept while hidden counts.
    const_cast<TAudioVisualization2 *>(this)->analysePending();
    return levels_;
}

bool TAudioVisualization2::isShowing() const {
    const QWidget *top = window();
    return isVisible() && !top->isMinimized();
}

bool TAudioVisualization2::isClear() const {
    levels();
    const auto zero = [](float v) { return v <= 0.0f; };
    return std::all_of(levels_.begin(), levels_.end(), zero) &&
           std::all_of(peaks_.begin(), peaks_.end(), zero);
}

double TAudioVisualization2::columnLowFrequency(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size()))
        return 0.0;
    return columns_[static_cast<size_t>(column)].lowHz;
}

double TAudioVisualization2::columnHighFrequency(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size()))
        return 0.0;
    return columns_[static_cast<size_t>(column)].highHz;
}

QRect TAudioVisualization2::plotRect() const {
    const int left = showsDbLabels(visType_) ? 30 : 7;
    const int bottom = showsFrequencyLabels(visType_) && height() >= 70 ? 16 : 7;
    return rect().adjusted(left, 7, -7, -bottom);
}

int TAudioVisualization2::columnCountFor(int width) const {
    switch (visType_) {
        case TVisType::vtFFTAnalog:
            return std::clamp(width / 11, 8, 48);
        case TVisType::vtFFTLinear:
            return std::clamp(width / 2, 16, 512);
        case TVisType::vtFFTFire:
            return std::clamp(width / 4, 16, 160);
        case TVisType::vtFFTGlass:
            return std::clamp(width / 14, 8, 40);
        case TVisType::vtFFTNormal:
        case TVisType::vtFFTKryptonite:
            break;
    }
    return std::clamp(width / 6, 16, 96);
}

double TAudioVisualization2::lowestFrequency() const {
    if (!logAxis())
        return 0.0;
    const double binWidth = static_cast<double>(sampleRate_) / analyzer_.windowSize();
    return std::max(kLowestHz, binWidth);
}

double TAudioVisualization2::highestFrequency() const {
    return std::min(kHighestHz, sampleRate_ / 2.0);
}

void TAudioVisualization2::rebuildColumns() {
    const int n = columnCountFor(plotRect().width());
    const double low = lowestFrequency();
    const double high = highestFrequency();
    const double binWidth = static_cast<double>(sampleRate_) / analyzer_.windowSize();
    const int bins = analyzer_.binCount();
    auto edge = [&](int i) {
        const double t = static_cast<double>(i) / n;
        return logAxis() ? low * std::pow(high / low, t) : low + (high - low) * t;
    };

    columns_.assign(static_cast<size_t>(n), Column{});
    for (int i = 0; i < n; ++i) {
        Column &c = columns_[static_cast<size_t>(i)];
        c.lowHz = edge(i);
        c.highHz = edge(i + 1);
        // Bin k covers (k - 1/2 .. k + 1/2) bin widths; DC is never shown.
        c.firstBin = std::clamp(static_cast<int>(std::lround(c.lowHz / binWidth)), 1, bins - 1);
        c.endBin =
            std::clamp(static_cast<int>(std::lround(c.highHz / binWidth)), c.firstBin + 1, bins);
    }
    if (levels_.size() != columns_.size())
        resampleLevels();
    placeSurface();
}

void TAudioVisualization2::placeSurface() {
    const QRect plot = plotRect();
    surface_->setGeometry(plot.adjusted(-1, -1, 1, 1));
    surface_->setVisible(plot.width() >= 4 && plot.height() >= 4);
}

void TAudioVisualization2::updatePlot(const QRegion &area) {
    surface_->update(area.translated(-surface_->pos()));
}

void TAudioVisualization2::updateStrips() {
    surface_->update(changedStrips().translated(-surface_->pos()));
}

void TAudioVisualization2::drawFrom(QPainter &p, const QImage &picture, const QRect &area) {
    const QPoint origin = plotBackgroundArea_.topLeft();
    const qreal ratio = picture.devicePixelRatio();
    p.drawImage(
        QRectF(area), picture,
        QRectF(QRectF(area.translated(-origin)).topLeft() * ratio, QSizeF(area.size()) * ratio));
}

void TAudioVisualization2::drawFrame(QPainter &p, const QRect &area) {
    drawFrom(p, plotBackground(), area);
    const QImage &lit = litBars();
    const QRectF plot = plotRect();
    const int n = static_cast<int>(frameTops_.size());
    const int floor = spectrumpaint::normalBarTop(plot, 0.0f);
    for (int i = 0; i < n; ++i) {
        const QRect span = spectrumpaint::normalBarSpan(plot, n, i);
        if (span.left() > area.right())
            break;  // the columns run left to right
        const int top = frameTops_[static_cast<size_t>(i)];
        const QRect bar = QRect(span.left(), top, span.width(), floor - top) & area;
        if (!bar.isEmpty())
            drawFrom(p, lit, bar);
    }
}

// One rectangle around the changed strips: measured with a noisy signal, a region of a strip
// per column costs the toolkit more to merge and clip to than the rows it spares cost to copy.
QRect TAudioVisualization2::changedStrips() const {
    QRect area;
    for (const Strip &strip : synced_)
        area |= strip.area;
    return area;
}

void TAudioVisualization2::paintSurface(QPainter &p, const QRegion &region) {
    p.translate(-surface_->pos());
    background();  // anew if the pixel ratio changed
    const QRegion dirty = region.translated(surface_->pos());
    if (visType_ != TVisType::vtFFTNormal) {
        paintPlot(p, dirty.boundingRect());
        return;
    }
    // A view shown again catches up with the block kept meanwhile; whatever that changed
    // outside this paint's region is painted next.
    analysePending();
    if (!syncFrame().empty())
        updatePlot(changedStrips());
    // Every pixel of the region is painted: the buffer under it may hold any earlier frame
    // (compositors swap between buffers), not the one before this paint.
    for (const QRect &area : dirty)
        drawFrame(p, area);
}

const std::vector<TAudioVisualization2::Strip> &TAudioVisualization2::syncFrame() {
    synced_.clear();
    const QImage &under = plotBackground();
    litBars();  // may start the picture anew
    const QRectF plot = plotRect();
    const int n = static_cast<int>(levels_.size());
    if (framedSize_ != under.size() || framedRatio_ != under.devicePixelRatio() ||
        frameTops_.size() != levels_.size()) {
        // Anew: the background with no bar, then every bar as a change from nothing.
        framedSize_ = under.size();
        framedRatio_ = under.devicePixelRatio();
        frameTops_.assign(levels_.size(), spectrumpaint::normalBarTop(plot, 0.0f));
    }
    for (int i = 0; i < n; ++i) {
        const size_t c = static_cast<size_t>(i);
        const int was = frameTops_[c];
        const int now = spectrumpaint::normalBarTop(plot, levels_[c]);
        if (was == now)
            continue;
        frameTops_[c] = now;
        const QRect span = spectrumpaint::normalBarSpan(plot, n, i);
        // A rising bar lights the rows between the two tops; a falling one darkens them.
        synced_.push_back(
            {QRect(span.left(), std::min(was, now), span.width(), std::abs(was - now)), now < was});
    }
    return synced_;
}

void TAudioVisualization2::resampleLevels() {
    // Keep what is shown when the column count changes (a resize, another look), so the
    // picture does not blank out until the next block arrives.
    const size_t n = columns_.size();
    const std::vector<float> oldLevels = levels_;
    const std::vector<float> oldPeaks = peaks_;
    resetLevels();
    if (oldLevels.empty())
        return;
    for (size_t i = 0; i < n; ++i) {
        const size_t from = std::min(oldLevels.size() - 1, i * oldLevels.size() / n);
        levels_[i] = oldLevels[from];
        peaks_[i] = oldPeaks[from];
    }
}

void TAudioVisualization2::resetLevels() {
    levels_.assign(columns_.size(), 0.0f);
    peaks_.assign(columns_.size(), 0.0f);
    peakHold_.assign(columns_.size(), 0);
}

void TAudioVisualization2::SendArray(const SampleArray &InpArray) {
    if (InpArray.isEmpty()) {
        analyzer_.clear();
        kept_.samples().clear();
        blocksKept_ = 0;
        if (!isClear()) {
            resetLevels();
            updatePlot(QRegion(plotRect().adjusted(-2, -2, 2, 2)));
        }
        return;
    }
    // Only the newest frames of the block are analysed; copying them reuses the buffer.
    const int channels = InpArray.channels();
    const int frames = std::min(InpArray.frames(), analyzer_.windowSize());
    const int16_t *from =
        InpArray.data() + static_cast<size_t>(InpArray.frames() - frames) * channels;
    std::vector<int16_t> &keep = kept_.samples();
    keep.assign(from, from + static_cast<size_t>(frames) * channels);
    kept_ = SampleArray(channels, std::move(keep));
    ++blocksKept_;
    if (!isShowing())
        return;
    oldLevels_ = levels_;
    oldPeaks_ = peaks_;
    if (!analysePending())
        return;
    if (visType_ == TVisType::vtFFTNormal) {
        if (!syncFrame().empty())
            updateStrips();
    } else
        updatePlot(changedArea(oldLevels_, oldPeaks_));
}

bool TAudioVisualization2::analysePending() {
    if (blocksKept_ == 0)
        return false;
    const int blocks = blocksKept_;
    blocksKept_ = 0;
    ++analyses_;
    if (!analyzer_.analyze(kept_)) {
        resetLevels();
        return true;
    }
    updateLevels(blocks);
    return true;
}

// Every block sent moves the columns on by one step; blocks that were only kept (the view was
// not on screen) take the newest block's spectrum as theirs.
void TAudioVisualization2::updateLevels(int blocks) {
    const std::vector<float> &amplitudes = analyzer_.magnitudes();
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Column &c = columns_[i];
        float loudest = 0.0f;
        for (int k = c.firstBin; k < c.endBin; ++k)
            loudest = std::max(loudest, amplitudes[static_cast<size_t>(k)]);
        const float db = SpectrumAnalyzer::toDb(loudest);
        const float target = std::clamp((db - kFloorDb) / -kFloorDb, 0.0f, 1.0f);
        for (int b = 0; b < blocks; ++b) {
            levels_[i] = std::max(target, levels_[i] - kFallPerBlock);
            if (levels_[i] >= peaks_[i]) {
                peaks_[i] = levels_[i];
                peakHold_[i] = kPeakHoldBlocks;
            } else if (peakHold_[i] > 0) {
                --peakHold_[i];
            } else {
                peaks_[i] = std::max(levels_[i], peaks_[i] - kPeakFallPerBlock);
            }
        }
    }
}

// Where the picture changed, for the looks other than plain bars: they draw peaks, outlines
// or shapes that spill over their column, so a changed column counts whole, with its
// neighbours' edges.
QRegion TAudioVisualization2::changedArea(const std::vector<float> &oldLevels,
                                          const std::vector<float> &oldPeaks) const {
    const QRectF plot = plotRect();
    const size_t n = levels_.size();
    if (oldLevels.size() != n || oldPeaks.size() != n || n == 0)
        return QRegion(plot.toAlignedRect().adjusted(-2, -2, 2, 2));
    const qreal w = plot.width() / static_cast<qreal>(n);
    const qreal spill = visType_ == TVisType::vtFFTLinear ? w + 2 : 2;
    // One rectangle around them all: a many-piece region costs more to build and to clip to
    // than the few extra pixels cost to paint.
    QRect area;
    for (size_t i = 0; i < n; ++i) {
        if (levels_[i] == oldLevels[i] && peaks_[i] == oldPeaks[i])
            continue;
        const qreal left = plot.left() + static_cast<qreal>(i) * w;
        area |=
            QRectF(left - spill, plot.top() - 2, w + 2 * spill, plot.height() + 4).toAlignedRect();
    }
    return QRegion(area);
}

void TAudioVisualization2::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    rebuildColumns();
    invalidateBackground();
}

void TAudioVisualization2::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange ||
        event->type() == QEvent::PaletteChange)
        invalidateBackground();
}

void TAudioVisualization2::invalidateBackground() {
    background_ = QPixmap();
    plotBackground_ = QImage();
    litBars_ = QImage();
    update();
    updatePlot(QRegion(surface_->geometry()));
}

// The panel, grid and labels: the same for every frame, so drawn once per size and look.
const QPixmap &TAudioVisualization2::background() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (background_.size() == pixels && background_.devicePixelRatio() == ratio)
        return background_;
    background_ = QPixmap(pixels);
    background_.setDevicePixelRatio(ratio);
    background_.fill(Qt::transparent);
    QPainter p(&background_);
    p.setRenderHint(QPainter::Antialiasing, true);
    widgetstyle::drawPanel(p, rect(), 4.0);
    const QRectF plot = plotRect();
    if (plot.width() >= 4 && plot.height() >= 4)
        paintGrid(p, plot);
    return background_;
}

const QImage &TAudioVisualization2::plotBackground() {
    // Asked for at every block: a change of the screen's pixel ratio is caught by paints,
    // which check background() first.
    const QRect area = surface_->geometry();
    if (!plotBackground_.isNull() && plotBackgroundArea_ == area &&
        (background_.isNull() ||
         plotBackground_.devicePixelRatio() == background_.devicePixelRatio()))
        return plotBackground_;
    const QPixmap &whole = background();
    plotBackgroundArea_ = area;
    litBars_ = QImage();
    const qreal ratio = whole.devicePixelRatio();
    plotBackground_ = QImage((QSizeF(area.size()) * ratio).toSize(), QImage::Format_RGB32);
    plotBackground_.setDevicePixelRatio(ratio);
    plotBackground_.fill(palette().color(QPalette::Window));
    QPainter p(&plotBackground_);
    p.drawPixmap(QPointF(-area.topLeft()), whole);
    return plotBackground_;
}

const QImage &TAudioVisualization2::litBars() {
    const QImage &under = plotBackground();
    if (!litBars_.isNull() && litColumns_ == levels_.size() && litEnabled_ == isEnabled())
        return litBars_;
    litBars_ = under.copy();
    litBars_.setDevicePixelRatio(under.devicePixelRatio());
    litColumns_ = levels_.size();
    litEnabled_ = isEnabled();
    // The picture of the plot is made of these two.
    frameTops_.clear();
    const QRectF plot = plotRect();
    const std::vector<float> full(levels_.size(), 1.0f);
    QPainter p(&litBars_);
    p.translate(-plotBackgroundArea_.topLeft());
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(plot.adjusted(-1, -1, 1, 1));
    spectrumpaint::paintNormal(p, spectrumpaint::Scene{plot, full, full, litEnabled_, QRectF()});
    return litBars_;
}

double TAudioVisualization2::xForFrequency(double hz, const QRectF &plot) const {
    const double low = lowestFrequency();
    const double high = highestFrequency();
    const double t =
        logAxis() ? std::log(hz / low) / std::log(high / low) : (hz - low) / (high - low);
    return plot.left() + t * plot.width();
}

void TAudioVisualization2::paintGrid(QPainter &p, const QRectF &plot) const {
    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);
    const bool grid = visType_ != TVisType::vtFFTGlass && visType_ != TVisType::vtFFTKryptonite;

    // Level lines every 20 dB.
    for (int db = -20; db > static_cast<int>(kFloorDb); db -= 20) {
        const qreal y = plot.bottom() - (db - kFloorDb) / -kFloorDb * plot.height();
        if (grid) {
            p.setPen(QPen(widgetstyle::gridLine(), 1.0, Qt::DotLine));
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
        if (showsDbLabels(visType_)) {
            p.setPen(widgetstyle::labelText());
            p.drawText(QRectF(0, y - 6, plot.left() - 4, 12), Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(db));
        }
    }

    // Frequency marks; a label is left out where it would crowd the previous one.
    std::vector<double> marks;
    if (logAxis()) {
        for (double decade = 10.0; decade <= kHighestHz; decade *= 10.0) {
            for (double m : {1.0, 2.0, 5.0})
                marks.push_back(decade * m);
        }
    } else {
        const double high = highestFrequency();
        double step = 1000.0;
        for (double candidate : {1000.0, 2000.0, 5000.0, 10000.0}) {
            step = candidate;
            if (plot.width() * candidate / high >= 44.0)
                break;
        }
        for (double f = step; f < high; f += step)
            marks.push_back(f);
    }
    const bool labels = showsFrequencyLabels(visType_) && height() >= 70;
    qreal lastRight = -1e9;
    for (double f : marks) {
        if (f <= lowestFrequency() || f >= highestFrequency())
            continue;
        const qreal x = xForFrequency(f, plot);
        if (grid) {
            p.setPen(QPen(widgetstyle::gridLine(), 1.0, Qt::DotLine));
            p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }
        if (!labels)
            continue;
        const QString text = hzLabel(f);
        const qreal w = p.fontMetrics().horizontalAdvance(text) + 4;
        if (x - w / 2 < lastRight + 4 || x + w / 2 > width())
            continue;
        p.setPen(widgetstyle::labelText());
        p.drawText(QRectF(x - w / 2, plot.bottom() + 2, w, 12), Qt::AlignHCenter | Qt::AlignTop,
                   text);
        lastRight = x + w / 2;
    }
}

void TAudioVisualization2::paintEvent(QPaintEvent *) {
    // The panel around the plot; the surface paints the plot itself.
    QPainter p(this);
    p.drawPixmap(0, 0, background());
}

void TAudioVisualization2::paintPlot(QPainter &p, const QRect &dirty) {
    // A view shown again catches up with the block kept meanwhile.
    analysePending();
    const QPointF at = surface_->pos();
    p.drawImage(at, plotBackground());
    const QRectF plot = plotRect();
    p.setRenderHint(QPainter::Antialiasing, true);

    p.save();
    p.setClipRect(plot.adjusted(-1, -1, 1, 1));
    const spectrumpaint::Scene scene{plot, levels_, peaks_, isEnabled(),
                                     QRectF(dirty).adjusted(-1, -1, 1, 1)};
    switch (visType_) {
        case TVisType::vtFFTAnalog:
            spectrumpaint::paintAnalog(p, scene);
            break;
        case TVisType::vtFFTLinear:
            spectrumpaint::paintLinear(p, scene);
            break;
        case TVisType::vtFFTNormal:
            break;  // painted from pictures, by paintBarsIn
        case TVisType::vtFFTFire:
            spectrumpaint::paintFire(p, scene);
            break;
        case TVisType::vtFFTGlass:
            spectrumpaint::paintGlass(p, scene);
            break;
        case TVisType::vtFFTKryptonite:
            spectrumpaint::paintKryptonite(p, scene);
            break;
    }
    p.restore();
}
