// Program entry: the application, the main window and its long-lived companions.
#include "app/tform1.h"
#include "files/rename_form.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvanta-recorder"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanta Sound Recorder"));

    TForm1 window;
    Form1 = &window;
    TRenameForm renameForm(&window);
    RenameForm = &renameForm;
    window.show();
    const int result = QApplication::exec();
    RenameForm = nullptr;
    Form1 = nullptr;
    return result;
}
