// Runs work the first window doesn't need once that window has been painted (or, should no
// paint come, say for a window that starts minimised, after a short while), so that it
// doesn't hold back the first picture the user sees.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

class AfterFirstPaint : public QObject {
    Q_OBJECT
public:
    // `work` runs once, on the window's thread, from the event loop; never if the window goes
    // first.
    AfterFirstPaint(QWidget *window, std::function<void()> work);

    // Runs the work now if it hasn't run yet, for code that needs its result earlier.
    void runNow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> work_;
};
