// The frame every settings dialog shares: a fixed client size, a title bar with a close box
// only, and margins tight enough for the fixed sizes.
#pragma once

class QDialog;
class QLayout;

void SetFixedDialogFrame(QDialog *dialog, int clientWidth, int clientHeight);

// Margins and spacing of a dialog's top layout, and of the layout inside a group box.
void UseDialogMargins(QLayout *layout);
void UseGroupMargins(QLayout *layout);
