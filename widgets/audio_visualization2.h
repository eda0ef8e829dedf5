// Spectrum view: draws the frequency spectrum of the latest block of sound.
//
// SendArray() analyses the newest WindowArraySize() frames of the block (mono mix, chosen
// FFT window) and repaints; an empty block clears the view. Columns rise at once and fall
// back gradually, so the picture stays calm at the 50..80 ms rate it is fed at. VisType
// picks one of six looks; all but vtFFTLinear use a logarithmic frequency axis.
//
// Cost: while the view is on screen, each block gets one FFT and repaints only the columns
// that changed over a background (panel, grid, labels) drawn once per size and look. Plain
// bars ask for a paint of the rectangle around the rows between each column's old and new
// top; a paint fills every pixel of its region, copied from the background and from a
// picture of all bars lit, since the window's buffer may hold any earlier frame. The
// columns are painted by an opaque child covering the plot, so that the window behind the
// view's rounded panel is not repainted with them. While the view is not on screen (a hidden
// tab, a minimised window), a block is only kept: it is analysed when someone asks for the
// levels, or when the view is shown again.
#pragma once

#include "audio/dsp/spectrum_analyzer.h"
#include "audio/sample_array.h"

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

class QPainter;

#include <vector>

class TAudioVisualization2 : public QWidget {
    Q_OBJECT

public:
    enum class TVisType {
        vtFFTAnalog,
        vtFFTLinear,
        vtFFTNormal,
        vtFFTFire,
        vtFFTGlass,
        vtFFTKryptonite
    };
    enum class TWindowFFTType { None, Welch, Barlett, Hanning, Hamming };

    // Levels are drawn from this dBFS floor up to 0 dBFS.
    static constexpr float kFloorDb = -90.0f;

    explicit TAudioVisualization2(QWidget *parent = nullptr);
    ~TAudioVisualization2() override;

    void SendArray(const SampleArray &InpArray);

    // FFT size in frames: 256, 1024 or 4096 (other values go to the nearest power of two).
    int WindowArraySize() const { return analyzer_.windowSize(); }
    void setWindowArraySize(int WindowArraySize);

    TVisType VisType() const { return visType_; }
    void setVisType(TVisType VisType);

    TWindowFFTType WindowFFTType() const { return windowType_; }
    void setWindowFFTType(TWindowFFTType WindowFFTType);

    // Sample rate of the blocks, for the frequency axis; 44100 unless told otherwise.
    int SampleRate() const { return sampleRate_; }
    void setSampleRate(int SampleRate);

    // What is on screen: one level per column, 0 (floor) .. 1 (0 dBFS).
    const std::vector<float> &levels() const;
    bool isClear() const;
    // The frequency range a column covers, in Hz.
    double columnLowFrequency(int column) const;
    double columnHighFrequency(int column) const;

    // On screen: visible, in a window that is not minimised. Blocks sent otherwise are not
    // analysed until they are needed.
    bool isShowing() const;
    // FFTs run so far, for checking that nobody pays for a view nobody sees.
    int analysisCount() const { return analyses_; }

    QSize sizeHint() const override { return QSize(360, 220); }
    QSize minimumSizeHint() const override { return QSize(80, 40); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class Surface;

    struct Column {
        int firstBin = 0;
        int endBin = 0;  // one past the last bin
        double lowHz = 0.0;
        double highHz = 0.0;
    };

    QRect plotRect() const;
    int columnCountFor(int width) const;
    bool logAxis() const { return visType_ != TVisType::vtFFTLinear; }
    double lowestFrequency() const;
    double highestFrequency() const;
    void rebuildColumns();
    // Runs the FFT of the kept block, if any, and moves the columns on by the blocks sent
    // since the last analysis. False when there was nothing to analyse.
    bool analysePending();
    void updateLevels(int blocks);
    QRegion changedArea(const std::vector<float> &oldLevels,
                        const std::vector<float> &oldPeaks) const;
    void invalidateBackground();
    const QPixmap &background();
    // The plot's part of the background, opaque, so that a frame copies it rather than
    // blending it; and the same with every plain bar at full height, drawn once per size,
    // column count and enabled state, out of which a frame copies each bar's lit part.
    // Both start at the plot surface's top left corner.
    const QImage &plotBackground();
    const QImage &litBars();
    // A strip of a column between its old and new top, lit or dark as the column now is.
    struct Strip {
        QRect area;
        bool lit = false;
    };
    // Plain bars: brings the column tops up to the levels; returns the strips of the columns
    // whose top moved (view coordinates), one per column.
    const std::vector<Strip> &syncFrame();
    // The rectangle around the strips the last sync found.
    QRect changedStrips() const;
    void placeSurface();
    // Asks for a paint of `area`; a paint repaints every pixel of its region.
    void updatePlot(const QRegion &area);
    // Asks for a paint of the strips the last sync found.
    void updateStrips();
    // Copies `area` (view coordinates) of the picture of the plot to the screen.
    void drawFrame(QPainter &p, const QRect &area);
    // Copies `area` (view coordinates) of `picture`, which covers the plot surface.
    void drawFrom(QPainter &p, const QImage &picture, const QRect &area);
    // Paints the plot surface's `region` (view coordinates).
    void paintSurface(QPainter &p, const QRegion &region);
    // Paints the plot's part of `dirty` (view coordinates): background and columns.
    void paintPlot(QPainter &p, const QRect &dirty);
    void resetLevels();
    void resampleLevels();
    double xForFrequency(double hz, const QRectF &plot) const;
    void paintGrid(QPainter &p, const QRectF &plot) const;

    SpectrumAnalyzer analyzer_;
    TVisType visType_ = TVisType::vtFFTNormal;
    TWindowFFTType windowType_ = TWindowFFTType::None;
    int sampleRate_ = 44100;

    std::vector<Column> columns_;
    std::vector<float> levels_;
    std::vector<float> peaks_;
    std::vector<int> peakHold_;

    // The newest block not analysed yet, and how many blocks came since the last analysis.
    SampleArray kept_;
    int blocksKept_ = 0;
    int analyses_ = 0;
    std::vector<float> oldLevels_;  // scratch for finding the changed columns
    std::vector<float> oldPeaks_;
    QPixmap background_;
    QImage plotBackground_;
    QRect plotBackgroundArea_;
    QImage litBars_;
    size_t litColumns_ = 0;
    bool litEnabled_ = true;
    Surface *surface_ = nullptr;

    // Plain bars: the picture of the plot is the background with each column lit from its top
    // row down, and is never stored: a paint copies its parts from the two pictures. The tops
    // as the screen will show them once the waiting strips are painted, the size they were
    // worked out for, and the strips the last sync found.
    std::vector<int> frameTops_;
    QSize framedSize_;
    qreal framedRatio_ = 0.0;
    std::vector<Strip> synced_;
};
