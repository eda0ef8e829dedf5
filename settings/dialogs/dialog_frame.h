// The frame every settings dialog shares: a fixed client size (the design size, grown where a
// larger font needs it), a title bar with a close box only, and margins tight enough for the
// design sizes.
#pragma once

class QDialog;
class QLayout;

void SetFixedDialogFrame(QDialog *dialog, int clientWidth, int clientHeight);
// Once the dialog's layout is complete: the design size, or larger where the controls need
// more room in this font. The size stays fixed.
void FitDialogToContents(QDialog *dialog, int clientWidth, int clientHeight);

// Margins and spacing of a dialog's top layout, and of the layout inside a group box.
void UseDialogMargins(QLayout *layout);
void UseGroupMargins(QLayout *layout);
