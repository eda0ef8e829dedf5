#include "mixer/eq_form.h"

#include "audio/audio_player2.h"
#include "widgets/nct_equalizer2.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 340;
constexpr int kClientHeight = 160;
constexpr int kBandsHeight = 118;
constexpr int kCloseWidth = 75;
constexpr int kCloseHeight = 25;
constexpr int kCloseBelowBands = 10;
constexpr int kCloseCentreOffset = 34;  // 136 at the design width

}  // namespace

TfrmEQ::TfrmEQ(TAudioPlayer2 &player, QCheckBox *equalizerSwitch, QWidget *parent)
    : QDialog(parent), player_(player), switch_(equalizerSwitch) {
    setWindowTitle(tr("Equalizer"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setMinimumSize(310, 130);

    NCTEqualizer1 = new TNCTEqualizer2(this);
    NCTEqualizer1->setObjectName(QStringLiteral("NCTEqualizer1"));
    BtnClose = new QPushButton(tr("Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->resize(kCloseWidth, kCloseHeight);
    resize(kClientWidth, kClientHeight);
    layoutControls();  // a hidden window gets its resize event only when shown

    connect(NCTEqualizer1, &TNCTEqualizer2::OnValueChange, this, &TfrmEQ::NCTEqualizer1ValueChange);
    connect(BtnClose, &QPushButton::clicked, this, &TfrmEQ::BtnCloseClick);
}

TfrmEQ::~TfrmEQ() = default;

void TfrmEQ::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    layoutControls();
}

void TfrmEQ::layoutControls() {
    // The bands fill the window above the button row; "Close" stays centred under them.
    const int bandsHeight = height() - (kClientHeight - kBandsHeight);
    NCTEqualizer1->setGeometry(0, 0, width(), bandsHeight);
    BtnClose->move(width() / 2 - kCloseCentreOffset, bandsHeight + kCloseBelowBands);
}

void TfrmEQ::BtnCloseClick() {
    close();
}

std::array<float, 12> TfrmEQ::gains() const {
    std::array<float, 12> gains{};
    for (int band = 1; band <= 12; ++band)
        gains[band - 1] = NCTEqualizer1->Band(band);
    return gains;
}

void TfrmEQ::NCTEqualizer1ValueChange(int /*Band*/) {
    player_.SetEqualizerArray(gains());
    if (switch_ && switch_->checkState() == Qt::PartiallyChecked) {
        switch_->setCheckState(Qt::Checked);
        EqualizerSwitchClick(switch_, player_);
    }
}

void EqualizerSwitchClick(QCheckBox *equalizerSwitch, TAudioPlayer2 &player) {
    equalizerSwitch->setTristate(false);
    player.setEqualizerEnabled(equalizerSwitch->checkState() == Qt::Checked);
}
