#include "settings/dialogs/up_down.h"

#include "settings/field_values.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

namespace {

QToolButton *makeArrow(Qt::ArrowType arrow, QWidget *parent) {
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(13, 11);
    return button;
}

}  // namespace

TUpDown::TUpDown(QLineEdit *associate, QWidget *parent)
    : QWidget(parent),
      associate_(associate),
      up_(makeArrow(Qt::UpArrow, this)),
      down_(makeArrow(Qt::DownArrow, this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
    up_->setAccessibleName(tr("Up"));
    down_->setAccessibleName(tr("Down"));
    associate_->installEventFilter(this);
    setEnabled(associate_->isEnabled());
    if (const std::optional<int> value = ParseFieldInteger(associate_->text()))
        position_ = std::clamp(*value, min_, max_);
}

void TUpDown::setRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
}

void TUpDown::setIncrement(int increment) {
    increment_ = increment;
}

void TUpDown::stepBy(int steps) {
    if (!associate_->isEnabled())
        return;
    if (const std::optional<int> value = ParseFieldInteger(associate_->text()))
        position_ = std::clamp(*value, min_, max_);
    const int64_t next = int64_t{position_} + int64_t{increment_} * steps;
    position_ = static_cast<int>(std::clamp<int64_t>(next, min_, max_));
    associate_->setText(QString::number(position_));
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event) {
    if (watched == associate_) {
        if (event->type() == QEvent::EnabledChange) {
            setEnabled(associate_->isEnabled());
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                stepBy(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

QLineEdit *MakeNumberField(QWidget *parent) {
    auto *field = new QLineEdit(QStringLiteral("0"), parent);
    field->setFixedWidth(28);  // room for "100"
    field->setEnabled(false);
    return field;
}

TUpDown *MakeUpDown(QLineEdit *field, int increment, QWidget *parent) {
    auto *upDown = new TUpDown(field, parent);
    upDown->setRange(0, 100);
    upDown->setIncrement(increment);
    return upDown;
}

void AddNumberField(QHBoxLayout *row, QLineEdit *field, TUpDown *upDown, const QString &unit) {
    if (row->count() > 0)
        row->addSpacing(4);
    row->addWidget(field);
    row->addWidget(upDown);
    row->addSpacing(2);
    // The unit names the field for a screen reader ("hours", "minutes", "seconds").
    auto *label = new QLabel(unit, field->parentWidget());
    label->setBuddy(field);
    row->addWidget(label);
}
