// The accessibility interface of a widget that has a value (a slider, a meter): the widget's
// own interface, also answering as a value interface. Subclasses give the value and its range.
#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class AccessibleValueWidget : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    AccessibleValueWidget(QWidget *widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
};
