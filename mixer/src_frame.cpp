#include "mixer/src_frame.h"

#include "mixer/volume_track_bar.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStringList>
#include <QStyle>

#include <algorithm>

namespace {

// What a push button needs for its caption: the text inside the style's button frame.
int buttonWidthFor(const QPushButton *button) {
    return button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() +
           2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
}

int widestWord(const QLabel *label, const QString &text) {
    int widest = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(word));
    return widest + 2 * label->margin();
}

int controlsWidth(const QPushButton *button, const QCheckBox *box) {
    return std::max({TsrcFrame::kWidth, buttonWidthFor(button) + 16, box->sizeHint().width() + 18});
}

}  // namespace

TsrcFrame::TsrcFrame(QWidget *parent) : QWidget(parent) {
    resize(kWidth, kHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 0, kWidth, kHeight);

    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setGeometry(0, 4, kWidth, 17);

    TrackBar2 = new QSlider(Qt::Horizontal, Panel1);
    TrackBar2->setObjectName(QStringLiteral("TrackBar2"));
    TrackBar2->setRange(0, 100);
    TrackBar2->setValue(50);
    TrackBar2->setTickInterval(25);
    TrackBar2->setTickPosition(QSlider::TicksBelow);
    TrackBar2->setPageStep(25);
    TrackBar2->setGeometry(8, 20, 65, 24);
    TrackBar2->setToolTip(tr("Balance"));

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Panel2->setGeometry(0, 48, kWidth, 2);

    TrackBar1 = new TVolumeTrackBar(Panel1);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setTickInterval(5000);
    TrackBar1->setTickPosition(QSlider::TicksBothSides);
    TrackBar1->setSingleStep(655);
    TrackBar1->setPageStep(6554);
    // Position 0 is at the top and means full volume; the keys and the wheel move the thumb
    // the way they point.
    TrackBar1->setInvertedAppearance(true);
    TrackBar1->setInvertedControls(true);
    TrackBar1->setGeometry(24, 52, 33, 73);

    CheckBox1 = new QCheckBox(Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    setSwitchCaption(tr("Mute"));

    Button1 = new QPushButton(tr("Advanced"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 152, 65, 25);
    placeControls();
}

void TsrcFrame::setSwitchCaption(const QString &caption) {
    CheckBox1->setText(caption);
    placeControls();
}

int TsrcFrame::neededWidth() const {
    // The controls keep their design margins: the button 8 from either side, the switch 16
    // from the left and 2 from the right, the line name's words whole.
    return std::max(controlsWidth(Button1, CheckBox1), widestWord(Label1, Label1->text()));
}

int TsrcFrame::neededWidthFor(QWidget *sheet, const QStringList &lineNames,
                              const QString &switchCaption) {
    const QPushButton button(tr("Advanced"), sheet);
    const QCheckBox box(switchCaption, sheet);
    const QLabel caption(sheet);
    int width = controlsWidth(&button, &box);
    for (const QString &name : lineNames)
        width = std::max(width, widestWord(&caption, name));
    return width;
}

void TsrcFrame::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    placeControls();
}

void TsrcFrame::placeControls() {
    if (!Button1)
        return;  // still being built
    const int w = width();
    Panel1->setGeometry(0, 0, w, height());
    Label1->setGeometry(0, 4, w, 17);
    TrackBar2->setGeometry(8, 20, w - 16, 24);
    Panel2->setGeometry(0, 48, w, 2);
    TrackBar1->setGeometry((w - 33) / 2, 52, 33, 73);
    CheckBox1->setGeometry(16, 128, std::clamp(CheckBox1->sizeHint().width(), 49, w - 18), 17);
    Button1->setGeometry(8, 152, w - 16, 25);
}
