// The playback equaliser window: twelve band sliders whose every move sends the whole curve
// to the player, and the rule of the main window's three-state "Equalizer" switch. One
// instance lives for the whole run.
#pragma once

#include <QDialog>
#include <QPointer>

#include <array>

class QCheckBox;
class QPushButton;
class TAudioPlayer2;
class TNCTEqualizer2;

class TfrmEQ : public QDialog {
    Q_OBJECT
public:
    // `equalizerSwitch` is the main window's "Equalizer" check box (chEqualizer).
    TfrmEQ(TAudioPlayer2 &player, QCheckBox *equalizerSwitch, QWidget *parent = nullptr);
    ~TfrmEQ() override;

    TNCTEqualizer2 *NCTEqualizer1 = nullptr;
    QPushButton *BtnClose = nullptr;

    void BtnCloseClick();
    // Any band moved: all twelve gains go to the player, in band order. The first move
    // while the switch is still undecided (grayed) switches the equaliser on.
    void NCTEqualizer1ValueChange(int Band);

    // The twelve gains of the band widget, band 1 first.
    std::array<float, 12> gains() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutControls();

    TAudioPlayer2 &player_;
    QPointer<QCheckBox> switch_;
};

// chEqualizerClick: the equaliser follows the switch. Grayed only means "not decided yet", so
// once the user (or a band move) has decided, a click toggles between on and off.
void EqualizerSwitchClick(QCheckBox *equalizerSwitch, TAudioPlayer2 &player);
