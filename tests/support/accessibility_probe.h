// Stands in for a screen reader's bridge: collects the accessibility events the painted
// widgets raise while the probe lives.
#pragma once

#include "widgets/accessibility_events.h"

#include <QAccessible>
#include <QVariant>

#include <vector>

struct SeenAccessibleEvent {
    QObject *object = nullptr;
    QAccessible::Event type = QAccessible::InvalidEvent;
    int child = -1;
    QVariant value;  // for value changes
};

class AccessibilityProbe {
public:
    AccessibilityProbe() {
        seen().clear();
        widgetaccess::setObserver(&record);
    }
    ~AccessibilityProbe() { widgetaccess::setObserver(nullptr); }
    AccessibilityProbe(const AccessibilityProbe &) = delete;
    AccessibilityProbe &operator=(const AccessibilityProbe &) = delete;

    static std::vector<SeenAccessibleEvent> &seen() {
        static std::vector<SeenAccessibleEvent> events;
        return events;
    }
    static int count(const QObject *object, QAccessible::Event type, int child = -1) {
        int n = 0;
        for (const SeenAccessibleEvent &e : seen())
            n += e.object == object && e.type == type && e.child == child;
        return n;
    }
    static QVariant lastValue(const QObject *object, int child = -1) {
        QVariant value;
        for (const SeenAccessibleEvent &e : seen()) {
            if (e.object == object && e.type == QAccessible::ValueChanged && e.child == child)
                value = e.value;
        }
        return value;
    }

private:
    static void record(QAccessibleEvent *event) {
        SeenAccessibleEvent e;
        e.object = event->object();
        e.type = event->type();
        e.child = event->child();
        if (event->type() == QAccessible::ValueChanged)
            e.value = static_cast<QAccessibleValueChangeEvent *>(event)->value();
        seen().push_back(e);
    }
};
