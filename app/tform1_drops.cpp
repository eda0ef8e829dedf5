// Files dragged from a file manager onto the window open as File > Open opens them.
#include "app/tform1.h"

#include "app/files_in.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

void TForm1::dragEnterEvent(QDragEnterEvent *event) {
    // While File > Open is off (a recording runs or waits for sound), so are drops.
    if (Open1->isEnabled() && event->mimeData() && !droppedFiles(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event) {
    if (!Open1->isEnabled() || !event->mimeData())
        return;
    const QStringList files = droppedFiles(*event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over: a message about one of them must not hold the file
    // manager's drag open.
    QTimer::singleShot(0, this, [this, files] { openPaths(files); });
}
