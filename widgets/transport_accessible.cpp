// The transport bar for assistive technology: a tool bar of five push buttons (Play, Pause,
// Stop, Record, Mute) and a Volume slider.
#include "widgets/nct_play_button_b2.h"
#include "widgets/painted_parts_accessible.h"

#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>

#include <algorithm>
#include <cmath>

namespace {

QString partName(int part) {
    switch (TNCTPlayButtonB2::partCode(part)) {
        case TNCTPlayButtonB2::kPlay:
            return TNCTPlayButtonB2::tr("Play");
        case TNCTPlayButtonB2::kPause:
            return TNCTPlayButtonB2::tr("Pause");
        case TNCTPlayButtonB2::kStop:
            return TNCTPlayButtonB2::tr("Stop");
        case TNCTPlayButtonB2::kRecord:
            return TNCTPlayButtonB2::tr("Record");
        case TNCTPlayButtonB2::kMute:
            return TNCTPlayButtonB2::tr("Mute");
        default:
            return TNCTPlayButtonB2::tr("Volume");
    }
}

class TransportPartAccessible : public PaintedPartAccessible,
                                public QAccessibleActionInterface,
                                public QAccessibleValueInterface {
public:
    TransportPartAccessible(TNCTPlayButtonB2 *bar, int part) : PaintedPartAccessible(bar, part) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface && !isVolume())
            return static_cast<QAccessibleActionInterface *>(this);
        if (type == QAccessible::ValueInterface && isVolume())
            return static_cast<QAccessibleValueInterface *>(this);
        return nullptr;
    }

    QAccessible::Role role() const override {
        return isVolume() ? QAccessible::Slider : QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return partName(index_);
        if (t == QAccessible::Value && isVolume() && bar())
            return TNCTPlayButtonB2::tr("%1 %").arg(
                TNCTPlayButtonB2::volumePercent(bar()->Volume()));
        return QString();
    }

    QAccessible::State state() const override {
        QAccessible::State s = PaintedPartAccessible::state();
        if (bar() && TNCTPlayButtonB2::partCode(index_) == TNCTPlayButtonB2::kMute) {
            s.checkable = true;
            s.checked = bar()->Mute();
        }
        return s;
    }

    // Buttons: one press action, the click the mouse makes.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override {
        if (actionName == pressAction() && bar())
            bar()->pressButton(TNCTPlayButtonB2::partCode(index_));
    }
    QStringList keyBindingsForAction(const QString &actionName) const override {
        if (actionName == pressAction())
            return {QStringLiteral("Space")};
        return {};
    }

    // Volume: whole percent of full volume.
    QVariant currentValue() const override {
        return bar() ? TNCTPlayButtonB2::volumePercent(bar()->Volume()) : 0;
    }
    void setCurrentValue(const QVariant &value) override {
        if (!bar() || !bar()->isEnabled())
            return;
        const double percent = std::clamp(value.toDouble(), 0.0, 100.0);
        bar()->setUserVolume(
            static_cast<int>(std::lround(percent * TNCTPlayButtonB2::kMaxVolume / 100.0)));
    }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

protected:
    QRect localRect() const override { return bar() ? bar()->partRect(index_) : QRect(); }
    bool isFocusedPart() const override { return bar() && bar()->focusedPart() == index_; }

private:
    TNCTPlayButtonB2 *bar() const { return static_cast<TNCTPlayButtonB2 *>(owner_.data()); }
    bool isVolume() const { return index_ == TNCTPlayButtonB2::kVolumePart; }
};

class TransportBarAccessible : public PartedWidgetAccessible {
public:
    explicit TransportBarAccessible(TNCTPlayButtonB2 *bar)
        : PartedWidgetAccessible(bar, QAccessible::ToolBar, TNCTPlayButtonB2::kParts) {}

    QString text(QAccessible::Text t) const override {
        QString text = PartedWidgetAccessible::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = TNCTPlayButtonB2::tr("Transport");
        return text;
    }

protected:
    QAccessibleInterface *makePart(int index) const override {
        return new TransportPartAccessible(bar(), index);
    }
    int focusedPart() const override { return bar()->focusedPart(); }

private:
    TNCTPlayButtonB2 *bar() const { return static_cast<TNCTPlayButtonB2 *>(widget()); }
};

}  // namespace

QAccessibleInterface *makeTransportBarAccessible(TNCTPlayButtonB2 *bar) {
    return new TransportBarAccessible(bar);
}
