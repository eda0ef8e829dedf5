// Building blocks for widgets whose painted parts (transport buttons, equaliser bands) are
// accessible children of their own, plus the interfaces of the two widgets built from them.
#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class TNCTEqualizer2;
class TNCTPlayButtonB2;

// A widget with a fixed number of parts; the parts' interfaces are made on first use and
// live as long as the widget's interface.
class PartedWidgetAccessible : public QAccessibleWidget {
public:
    PartedWidgetAccessible(QWidget *widget, QAccessible::Role role, int parts);
    ~PartedWidgetAccessible() override;

    int childCount() const override { return parts_; }
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

protected:
    virtual QAccessibleInterface *makePart(int index) const = 0;
    // The part the keyboard acts on.
    virtual int focusedPart() const = 0;

private:
    int parts_;
    mutable QHash<int, QAccessible::Id> made_;
};

// One painted part of a widget: placed by a rectangle in the widget, focused when the widget
// has the focus and the part is its focused part.
class PaintedPartAccessible : public QAccessibleInterface {
public:
    PaintedPartAccessible(QWidget *owner, int index) : owner_(owner), index_(index) {}

    bool isValid() const override { return !owner_.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::State state() const override;

protected:
    virtual QRect localRect() const = 0;
    virtual bool isFocusedPart() const = 0;

    QPointer<QWidget> owner_;
    int index_;
};

QAccessibleInterface *makeTransportBarAccessible(TNCTPlayButtonB2 *bar);
QAccessibleInterface *makeEqualizerAccessible(TNCTEqualizer2 *equalizer);
