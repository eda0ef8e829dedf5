// Keys of the whole main window that no single control owns.
#include "app/tform1.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTabWidget>

void TForm1::buildPageKeys() {
    // The tab control turns its pages by these keys only while it holds the focus; as the
    // window's own keys they work from the tool bar, the bottom strip and the status bar too.
    const QKeySequence forward[] = {QKeySequence(Qt::CTRL | Qt::Key_Tab),
                                    QKeySequence(Qt::CTRL | Qt::Key_PageDown)};
    const QKeySequence backward[] = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                     QKeySequence(Qt::CTRL | Qt::Key_PageUp)};
    for (const QKeySequence &keys : forward)
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { turnPage(1); });
    for (const QKeySequence &keys : backward)
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { turnPage(-1); });
}

void TForm1::turnPage(int step) {
    const int count = PageControl1->count();
    if (count == 0)
        return;
    // Round and round, as the tab control itself does.
    const int next = ((PageControl1->currentIndex() + step) % count + count) % count;
    PageControl1->setCurrentIndex(next);
}
