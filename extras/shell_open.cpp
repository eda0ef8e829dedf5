#include "extras/shell_open.h"

#include <QDesktopServices>

namespace {

std::function<void(const QUrl &)> &testHandler() {
    static std::function<void(const QUrl &)> handler;
    return handler;
}

}  // namespace

void ShellOpen(const QUrl &url) {
    if (testHandler()) {
        testHandler()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

void setShellOpenHandlerForTesting(std::function<void(const QUrl &)> handler) {
    testHandler() = std::move(handler);
}
