#include "widgets/painted_parts_accessible.h"

#include <QWidget>
#include <QWindow>

PartedWidgetAccessible::PartedWidgetAccessible(QWidget *widget, QAccessible::Role role, int parts)
    : QAccessibleWidget(widget, role), parts_(parts) {}

PartedWidgetAccessible::~PartedWidgetAccessible() {
    for (QAccessible::Id id : std::as_const(made_))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *PartedWidgetAccessible::child(int index) const {
    if (index < 0 || index >= parts_)
        return nullptr;
    if (const auto found = made_.constFind(index); found != made_.constEnd())
        return QAccessible::accessibleInterface(*found);
    QAccessibleInterface *part = makePart(index);
    made_.insert(index, QAccessible::registerAccessibleInterface(part));
    return part;
}

int PartedWidgetAccessible::indexOfChild(const QAccessibleInterface *child) const {
    for (auto it = made_.constBegin(); it != made_.constEnd(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return it.key();
    }
    return -1;
}

QAccessibleInterface *PartedWidgetAccessible::childAt(int x, int y) const {
    for (int i = 0; i < parts_; ++i) {
        QAccessibleInterface *part = child(i);
        if (part && part->rect().contains(x, y))
            return part;
    }
    return nullptr;
}

QAccessibleInterface *PartedWidgetAccessible::focusChild() const {
    if (!widget()->hasFocus())
        return nullptr;
    return child(focusedPart());
}

QWindow *PaintedPartAccessible::window() const {
    return owner_ ? owner_->window()->windowHandle() : nullptr;
}

QAccessibleInterface *PaintedPartAccessible::parent() const {
    return QAccessible::queryAccessibleInterface(owner_.data());
}

QRect PaintedPartAccessible::rect() const {
    if (!owner_)
        return QRect();
    const QRect local = localRect();
    return QRect(owner_->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State PaintedPartAccessible::state() const {
    QAccessible::State s;
    if (!owner_) {
        s.invalid = true;
        return s;
    }
    s.focusable = owner_->focusPolicy() != Qt::NoFocus;
    s.focused = owner_->hasFocus() && isFocusedPart();
    s.disabled = !owner_->isEnabled();
    s.invisible = !owner_->isVisible();
    return s;
}
