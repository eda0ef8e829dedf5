// Colours that stay readable on whatever palette the desktop gives: contrast by the WCAG
// formula, a design colour kept only where it reads well, and icons lightened or darkened
// where they would melt into their background.
#pragma once

#include <QColor>
#include <QIcon>

#include <initializer_list>

// Relative luminance, 0 (black) to 1 (white), of the colour's sRGB values.
double RelativeLuminance(const QColor &colour);

// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ContrastRatio(const QColor &a, const QColor &b);

// Text needs 4.5:1 to be read comfortably; pictures and large shapes 3:1.
constexpr double kTextContrast = 4.5;
constexpr double kGraphicContrast = 3.0;

// `preferred` where it reaches `minimum` against every background, else an invalid colour,
// which tells the caller to use the palette's own.
QColor ColourIfReadable(const QColor &preferred, std::initializer_list<QColor> backgrounds,
                        double minimum = kTextContrast);

// True where the background is dark enough that dark pictures would vanish on it.
bool IsDarkBackground(const QColor &background);

// `icon` as drawn on `background`: on a light background the icon as it is; on a dark one a
// copy whose pixels below 3:1 against it are lightened until they reach it (hue and
// transparency kept), in the given sizes.
QIcon IconVisibleOn(const QIcon &icon, const QColor &background,
                    std::initializer_list<int> sizes = {14, 16, 32});
