// Files dragged from a file manager onto the window open as File > Open opens them.
#include "app/tform1.h"

#include "app/files_in.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

namespace {

// Whether the window takes what is dragged; if so, the drop is answered as a copy (or a link)
// whatever the source proposed: a file manager that heard "moved" would delete the file.
bool takeAsCopy(TForm1 &window, QDropEvent &event) {
    // While File > Open is off (a recording runs or waits for sound), so are drops.
    if (!window.Open1->isEnabled() || !event.mimeData() ||
        droppedFiles(*event.mimeData()).isEmpty())
        return false;
    if (event.possibleActions() & Qt::CopyAction)
        event.setDropAction(Qt::CopyAction);
    else if (event.possibleActions() & Qt::LinkAction)
        event.setDropAction(Qt::LinkAction);
    else
        return false;
    event.accept();
    return true;
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent *event) {
    takeAsCopy(*this, *event);
}

void TForm1::dropEvent(QDropEvent *event) {
    if (!takeAsCopy(*this, *event))
        return;
    // Opened once the drop is over: a message about one of them must not hold the file
    // manager's drag open.
    QTimer::singleShot(0, this,
                       [this, files = droppedFiles(*event->mimeData())] { openPaths(files); });
}
