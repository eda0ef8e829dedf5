// Program entry: the application, the main window and its long-lived companions.
#include "app/tform1.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvanta-recorder"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanta Sound Recorder"));

    TForm1 window;
    Form1 = &window;
    window.show();
    const int result = QApplication::exec();
    Form1 = nullptr;
    return result;
}
