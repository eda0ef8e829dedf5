#include "app/after_first_paint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Long enough for a window manager to map and expose the window, short enough that nobody
// reaches for a dialog before it.
constexpr int kFallbackMs = 500;

}  // namespace

AfterFirstPaint::AfterFirstPaint(QWidget *window, std::function<void()> work)
    : QObject(window), work_(std::move(work)) {
    window->installEventFilter(this);
    QTimer::singleShot(kFallbackMs, this, &AfterFirstPaint::runNow);
}

void AfterFirstPaint::runNow() {
    if (!work_)
        return;
    parent()->removeEventFilter(this);
    const std::function<void()> work = std::move(work_);
    work_ = nullptr;
    work();
}

bool AfterFirstPaint::eventFilter(QObject *watched, QEvent *event) {
    // Queued behind the paint, so that the picture reaches the screen first.
    if (event->type() == QEvent::Paint && work_)
        QTimer::singleShot(0, this, &AfterFirstPaint::runNow);
    return QObject::eventFilter(watched, event);
}
