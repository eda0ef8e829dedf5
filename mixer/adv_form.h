// The advanced-controls dialog of one mixer line: a check box for every switch and a slider
// for every other value the line reports. Changes go to the component at once; there is no
// cancel. Created afresh for each opening, so it always shows the current values; it writes
// to the line it shows even if another line is selected meanwhile.
#pragma once

#include "mixer/mixer_lines.h"

#include <QDialog>

#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;

class TfrmAdv : public QDialog {
    Q_OBJECT
public:
    // Row pitch and the group box height for a line with Count + 1 values: C x 23 + 113.
    static constexpr int kRowPitch = 23;
    static constexpr int kFirstRowTop = 80;
    static constexpr int kGroupBaseHeight = 113;

    explicit TfrmAdv(const MixerComponents &components, QWidget *parent = nullptr);

    // Set by the opener before showing: the recorder's current line (true) or the player's.
    bool m_Rec = false;

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QGroupBox *gbOther = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *btnClose = nullptr;

    void FormShow();
    void AdvClick(int index, bool checked);
    void AdvChange(int index, int position);

    // Builds the rows (FormShow) on the first showing, before the dialog is sized and centred.
    void setVisible(bool visible) override;

private:
    MixerComponents components_;
    std::shared_ptr<MixerLines> lines_;
    int line_ = -1;  // the line shown, selected when the dialog was built
    bool built_ = false;
};
