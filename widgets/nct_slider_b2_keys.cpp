// The position slider's keys. A key press acts like a mouse press at the new value and its
// release like the mouse release, so whoever listens sees a keyboard seek as a click seek;
// a held key is one drag that ends when the key comes up.
#include "widgets/nct_slider_b2.h"

#include <QKeyEvent>

#include <optional>

namespace {

// Where a navigation key moves the thumb from `value`; nothing for other keys.
std::optional<int> keyTarget(int key, int value) {
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            return value - TNCTSliderB2::kKeyStep;
        case Qt::Key_Right:
        case Qt::Key_Up:
            return value + TNCTSliderB2::kKeyStep;
        case Qt::Key_PageDown:
            return value - TNCTSliderB2::kPageStep;
        case Qt::Key_PageUp:
            return value + TNCTSliderB2::kPageStep;
        case Qt::Key_Home:
            return 0;
        case Qt::Key_End:
            return TNCTSliderB2::kMaxValue;
        default:
            return std::nullopt;
    }
}

bool hasModifiers(const QKeyEvent *event) {
    return (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier;
}

}  // namespace

void TNCTSliderB2::seekTo(int Value) {
    if (dragging_) {
        setValue(Value);
        return;
    }
    dragging_ = true;
    Q_EMIT OnMouseDown();
    setValue(Value);
    finishDrag();
}

void TNCTSliderB2::keyPressEvent(QKeyEvent *event) {
    const std::optional<int> target = keyTarget(event->key(), value_);
    if (!target || hasModifiers(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!dragging_) {
        dragging_ = true;
        keyDrag_ = true;
        Q_EMIT OnMouseDown();
    }
    setValue(*target);
}

void TNCTSliderB2::keyReleaseEvent(QKeyEvent *event) {
    // Auto-repeat sends a release before every repeated press; only the real one ends the drag.
    if (keyDrag_ && !event->isAutoRepeat() && keyTarget(event->key(), value_)) {
        finishDrag();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TNCTSliderB2::focusOutEvent(QFocusEvent *event) {
    // The release goes wherever the focus went; the drag must not outlive the key.
    if (keyDrag_)
        finishDrag();
    QWidget::focusOutEvent(event);
}
