#include "widgets/accessibility_events.h"

#include <QAccessible>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace widgetaccess {

namespace {

Observer observer = nullptr;

// Nobody hears an event while no assistive technology is active and no test looks.
bool heard() {
    return observer || QAccessible::isActive();
}

void send(QAccessibleEvent &event) {
    if (observer)
        observer(&event);
    // The toolkit looks the widget's interface up before it checks whether anyone listens;
    // a meter updated every tick would pay for that for nothing.
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
}

}  // namespace

void setObserver(Observer newObserver) {
    observer = newObserver;
}

void valueChanged(QObject *widget, const QVariant &value, int child) {
    if (!heard())
        return;
    QAccessibleValueChangeEvent event(widget, value);
    if (child >= 0)
        event.setChild(child);
    send(event);
}

void nameChanged(QObject *widget, int child) {
    if (!heard())
        return;
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    if (child >= 0)
        event.setChild(child);
    send(event);
}

void checkedChanged(QObject *widget, int child) {
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(widget, changed);
    event.setChild(child);
    send(event);
}

void focusMoved(QWidget *widget, int child) {
    // The toolkit reports the widget's own focus after its focus-in handler has run; a part's
    // report sent at once would be overtaken by it.
    QTimer::singleShot(0, widget, [target = QPointer<QWidget>(widget), child] {
        if (!target || !target->hasFocus())
            return;
        QAccessibleEvent event(target.data(), QAccessible::Focus);
        event.setChild(child);
        send(event);
    });
}

}  // namespace widgetaccess
