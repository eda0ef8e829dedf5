// The start-up benchmark's yardstick: the least a Qt Widgets program does to show a main
// window, built with the same compiler, flags and Qt as the recorder.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <cstdlib>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Hello"), &window));
    window.show();
    // Same exit point as the recorder's: the first turn of the event loop after show().
    if (qEnvironmentVariableIsSet("KORVANTA_EXIT_AFTER_SHOW")) {
        QTimer::singleShot(0, &app, [] { std::_Exit(0); });
    }
    return QApplication::exec();
}
