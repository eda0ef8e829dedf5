// The six looks of the spectrum view. Each painter draws the columns of one frame into the
// plot rectangle; the view draws the panel, grid and labels around them.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRectF>

#include <vector>

namespace spectrumpaint {

struct Scene {
    QRectF plot;
    const std::vector<float> &levels;  // 0..1 per column
    const std::vector<float> &peaks;   // held peaks, 0..1 per column
    bool enabled = true;
    // What needs painting; columns wholly outside it may be left out.
    QRectF dirty;
};

// Segmented LED bars in green, yellow and red, with falling peak caps.
void paintAnalog(QPainter &p, const Scene &scene);
// A line graph with a soft fill beneath (the view uses a linear frequency axis for it).
void paintLinear(QPainter &p, const Scene &scene);
// Plain blue bars; the default, meant for reading levels against the grid.
void paintNormal(QPainter &p, const Scene &scene);
// The pixels plain bar i of `count` touches at full height, its smoothed edges included: each
// bar's own columns of pixels, clear of its neighbours'. At a level, the bar is what a full
// height bar shows from normalBarTop() down, so it can be copied out of a picture of them.
QRect normalBarSpan(const QRectF &plot, int count, int i);
// The first row of a plain bar at `level` (0..1); the plot's bottom edge for no bar.
int normalBarTop(const QRectF &plot, float level);
// Narrow bars in a fixed fire gradient: louder columns reach the hotter colours.
void paintFire(QPainter &p, const Scene &scene);
// Wide translucent bars with a glossy highlight and a reflection below the baseline.
void paintGlass(QPainter &p, const Scene &scene);
// Green bars mirrored about the centre line, with glowing peak dots.
void paintKryptonite(QPainter &p, const Scene &scene);

}  // namespace spectrumpaint
