// The keyboard focus mark of the painted widgets: an outline in the style's highlight colour,
// drawn last in a paint event so that it sits on top of whatever the widget painted.
#pragma once

class QPainter;
class QRect;
class QWidget;

namespace focusring {

// Outlines `around` (widget pixels) when `widget` has the keyboard focus; nothing otherwise.
void paintIfFocused(QPainter &p, const QWidget *widget, const QRect &around);

}  // namespace focusring
