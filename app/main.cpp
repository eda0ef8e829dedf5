// Program entry: the application, the main window and its long-lived companions.
#include "app/tform1.h"
#include "files/rename_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvanta-recorder"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanta Sound Recorder"));

    TForm1 window;
    Form1 = &window;
    TfrmEQ eqForm(*window.AudioPlayer1, window.chEqualizer, &window);
    frmEQ = &eqForm;
    TfrmRecFlt recFltForm(*window.AudioRecord1, &window);
    frmRecFlt = &recFltForm;
    TRenameForm renameForm(&window);
    RenameForm = &renameForm;
    window.show();
    const int result = QApplication::exec();
    RenameForm = nullptr;
    Form1 = nullptr;
    return result;
}
