#include "mixer/adv_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int kClientWidth = 390;
constexpr int kGroupTop = 56;
constexpr int kDesignGroupHeight = 105;
constexpr int kCloseGap = 8;      // between the group box and "Close"
constexpr int kBottomMargin = 9;  // under "Close"
constexpr int kCloseWidth = 75;
constexpr int kCloseHeight = 25;

}  // namespace

TfrmAdv::TfrmAdv(const MixerComponents &components, QWidget *parent)
    : QDialog(parent), components_(components) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(12, 4, 34, 36);
    const QIcon icon = QIcon::fromTheme(QStringLiteral("audio-card"),
                                        style()->standardIcon(QStyle::SP_MediaVolume));
    Image1->setPixmap(icon.pixmap(32, 32));

    Label1 =
        new QLabel(tr("These settings can be used to make fine adjustments to your audio."), this);
    Label1->setWordWrap(true);
    Label1->setGeometry(69, 8, 289, std::max(26, Label1->heightForWidth(289)));

    gbOther = new QGroupBox(tr("Other Controls"), this);
    gbOther->setObjectName(QStringLiteral("gbOther"));
    // Below the introduction, which a larger font may wrap onto more lines.
    const int groupTop = std::max(kGroupTop, Label1->geometry().bottom() + 1 + 8);
    gbOther->setGeometry(16, groupTop, 361, kDesignGroupHeight);
    Label2 = new QLabel(tr("These settings make other changes to how your audio "
                           "sounds. See your hardware documentation for details."),
                        gbOther);
    Label2->setWordWrap(true);
    Label2->setGeometry(16, 32, 321, std::max(26, Label2->heightForWidth(321)));

    btnClose = new QPushButton(tr("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    btnClose->setGeometry(300, groupTop + kDesignGroupHeight + kCloseGap, kCloseWidth,
                          kCloseHeight);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(kClientWidth, btnClose->geometry().bottom() + 1 + kBottomMargin);
}

void TfrmAdv::setVisible(bool visible) {
    if (visible && !built_) {
        built_ = true;
        FormShow();
    }
    QDialog::setVisible(visible);
}

void TfrmAdv::FormShow() {
    lines_ = LinesOf(components_, m_Rec);
    if (!lines_)
        return;
    line_ = lines_->selected();
    const std::vector<MixerLine> now = lines_->lines();
    const MixerLine shown = line_ >= 0 && line_ < static_cast<int>(now.size())
                                ? now[static_cast<size_t>(line_)]
                                : MixerLine{};
    setWindowTitle(tr("Advanced Properties for ") + shown.name);

    const int count = static_cast<int>(shown.advanced.size()) - 1;
    if (count < 0)
        return;
    for (int i = 0; i <= count; ++i) {
        const int top = i * kRowPitch + kFirstRowTop;
        const AdvancedControl &control = shown.advanced[static_cast<size_t>(i)];
        const QString caption = QString::number(i + 1) + QLatin1Char(' ') + control.name;
        if (control.isSwitch) {
            auto *box = new QCheckBox(caption, gbOther);
            box->setObjectName(QStringLiteral("ch") + QString::number(i));
            // 220 wide, or as wide as a long name needs, within the group.
            box->setGeometry(16, top,
                             std::clamp(box->sizeHint().width(), 220, gbOther->width() - 24),
                             std::max(17, box->sizeHint().height()));
            box->setChecked(control.value != 0);
            connect(box, &QCheckBox::toggled, this, [this, i](bool on) { AdvClick(i, on); });
        } else {
            auto *slider = new QSlider(Qt::Horizontal, gbOther);
            slider->setObjectName(QStringLiteral("tb") + QString::number(i));
            slider->setGeometry(16, top, 109, 17);
            slider->setRange(0, 65535);
            slider->setTickInterval(5000);
            slider->setTickPosition(QSlider::TicksBelow);
            slider->setPageStep(5000);
            slider->setValue(control.value);  // the slider clamps it to 0..65535
            auto *label = new QLabel(caption, gbOther);
            label->setObjectName(QStringLiteral("lb") + QString::number(i));
            label->setGeometry(145, top, gbOther->width() - 145 - 8,
                               std::max(17, label->sizeHint().height()));
            label->setBuddy(slider);
            connect(slider, &QSlider::valueChanged, this, [this, i](int p) { AdvChange(i, p); });
        }
    }

    gbOther->resize(gbOther->width(), count * kRowPitch + kGroupBaseHeight);
    const int groupBottom = gbOther->y() + gbOther->height();
    btnClose->move(btnClose->x(), groupBottom + kCloseGap);
    setFixedSize(kClientWidth, btnClose->geometry().bottom() + 1 + kBottomMargin);
}

void TfrmAdv::AdvClick(int index, bool checked) {
    if (lines_)
        lines_->setAdvancedValue(line_, index, QVariant(checked));
}

void TfrmAdv::AdvChange(int index, int position) {
    if (lines_)
        lines_->setAdvancedValue(line_, index, QVariant(position));
}
