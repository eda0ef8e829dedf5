#include "extras/readable_colours.h"

#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// One pixel moved away from the background in lightness until it stands out. The aim is a
// little above 3:1, so that the rounding of a half-transparent pixel when the picture is stored
// does not take it back under.
QRgb standingOut(QRgb pixel, const QColor &background) {
    constexpr double kAim = kGraphicContrast + 0.2;
    QColor colour = QColor::fromRgba(pixel);
    if (qAlpha(pixel) == 0 || ContrastRatio(colour, background) >= kAim)
        return pixel;
    float hue = 0, saturation = 0, lightness = 0, alpha = 0;
    colour.getHslF(&hue, &saturation, &lightness, &alpha);
    while (lightness < 1.0f && ContrastRatio(colour, background) < kAim) {
        lightness = std::min(1.0f, lightness + 0.05f);
        colour.setHslF(hue, saturation, lightness, alpha);
    }
    return colour.rgba();
}

}  // namespace

double RelativeLuminance(const QColor &colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double ContrastRatio(const QColor &a, const QColor &b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ColourIfReadable(const QColor &preferred, std::initializer_list<QColor> backgrounds,
                        double minimum) {
    for (const QColor &background : backgrounds) {
        if (ContrastRatio(preferred, background) < minimum)
            return QColor();
    }
    return preferred;
}

bool IsDarkBackground(const QColor &background) {
    // Darker than the middle grey: black stands out less on it than white does.
    return ContrastRatio(background, Qt::black) < ContrastRatio(background, Qt::white);
}

QIcon IconVisibleOn(const QIcon &icon, const QColor &background, std::initializer_list<int> sizes) {
    // Light backgrounds suit the pictures as drawn; leave them undecoded until first shown.
    if (icon.isNull() || !IsDarkBackground(background))
        return icon;
    QIcon visible;
    for (int size : sizes) {
        QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = standingOut(line[x], background);
        }
        visible.addPixmap(QPixmap::fromImage(image));
    }
    return visible;
}
