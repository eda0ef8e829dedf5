// Tells assistive technology what changed on a painted widget: a value, a name, a switch, or
// which of its parts has the keyboard focus. `child` is the index of a part (a transport
// button, an equaliser band) among the widget's accessible children, or -1 for the widget.
#pragma once

class QAccessibleEvent;
class QObject;
class QVariant;
class QWidget;

namespace widgetaccess {

void valueChanged(QObject *widget, const QVariant &value, int child = -1);
void nameChanged(QObject *widget, int child = -1);
void checkedChanged(QObject *widget, int child);
// Sent after the widget's own focus report, so that the part is what a screen reader says.
void focusMoved(QWidget *widget, int child);

// Sees every event sent from here as well. The toolkit drops events while no assistive
// technology listens, which is always the case without a desktop session; tests look here.
using Observer = void (*)(QAccessibleEvent *event);
void setObserver(Observer observer);

}  // namespace widgetaccess
