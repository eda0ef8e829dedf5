// Answers the modal windows a test provokes: every message box is recorded and closed with OK;
// any other modal dialog is handed to the test's callback once, after the dialog's own event
// loop has started.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

namespace testsupport {

struct ShownMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
};

class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget *)> onDialog = {})
        : onDialog_(std::move(onDialog)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    std::vector<ShownMessage> messages;
    std::vector<QString> dialogTitles;

private:
    void poll() {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || alreadyHandled(modal))
            return;
        handled_.emplace_back(modal);
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            messages.push_back({box->windowTitle(), box->text(), box->icon()});
            box->button(QMessageBox::Ok)->click();
            return;
        }
        dialogTitles.push_back(modal->windowTitle());
        QPointer<QWidget> dialog = modal;
        if (onDialog_)
            QTimer::singleShot(0, modal, [this, dialog] { onDialog_(dialog); });
        else
            QTimer::singleShot(0, modal, [dialog] { dialog->close(); });
    }

    bool alreadyHandled(QWidget *modal) const {
        for (const QPointer<QWidget> &w : handled_) {
            if (w == modal)
                return true;
        }
        return false;
    }

    std::function<void(QWidget *)> onDialog_;
    QTimer timer_;
    // A dialog is handed over once, also when it becomes the active modal window again after
    // a message box on top of it closes.
    std::vector<QPointer<QWidget>> handled_;
};

}  // namespace testsupport
