// Program entry: the application, the main window and its long-lived companions.
#include "app/tform1.h"
#include "audio/devices/audio_backend.h"
#include "files/rename_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <memory>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvanta-recorder"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanta Sound Recorder"));

    // The sound backend outlives the window and everything that plays or records through it.
    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    TForm1 window(*backend);
    Form1 = &window;
    TfrmEQ eqForm(*window.AudioPlayer1, window.chEqualizer, &window);
    frmEQ = &eqForm;
    TfrmRecFlt recFltForm(*window.AudioRecord1, &window);
    frmRecFlt = &recFltForm;
    TRenameForm renameForm(&window);
    RenameForm = &renameForm;
    window.show();
    // For the start-up benchmark: leave at the first turn of the event loop after show().
    if (qEnvironmentVariableIsSet("KORVANTA_EXIT_AFTER_SHOW"))
        QTimer::singleShot(0, &app, [] { std::_Exit(0); });
    const int result = QApplication::exec();
    RenameForm = nullptr;
    Form1 = nullptr;
    return result;
}
