// The frame every settings dialog shares: a fixed client size and a title bar with a close
// box only.
#pragma once

class QDialog;

void SetFixedDialogFrame(QDialog *dialog, int clientWidth, int clientHeight);
