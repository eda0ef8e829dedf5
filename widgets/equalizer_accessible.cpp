// The equaliser for assistive technology: a group of twelve sliders named by their centre
// frequency, each valued in dB.
#include "widgets/nct_equalizer2.h"
#include "widgets/painted_parts_accessible.h"

#include <QAccessibleValueInterface>

namespace {

class EqualizerBandAccessible : public PaintedPartAccessible, public QAccessibleValueInterface {
public:
    EqualizerBandAccessible(TNCTEqualizer2 *equalizer, int index)
        : PaintedPartAccessible(equalizer, index) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return nullptr;
    }

    QAccessible::Role role() const override { return QAccessible::Slider; }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return TNCTEqualizer2::BandName(band());
        if (t == QAccessible::Value && equalizer()) {
            const double gain = equalizer()->Band(band());
            // An explicit plus, so that a boost and a cut never sound alike.
            const QString number =
                (gain > 0 ? QStringLiteral("+") : QString()) + QString::number(gain, 'f', 1);
            return TNCTEqualizer2::tr("%1 dB").arg(number);
        }
        return QString();
    }

    QVariant currentValue() const override {
        return equalizer() ? static_cast<double>(equalizer()->Band(band())) : 0.0;
    }
    void setCurrentValue(const QVariant &value) override {
        if (equalizer() && equalizer()->isEnabled())
            equalizer()->setUserBand(band(), value.toFloat());
    }
    QVariant maximumValue() const override { return double{TNCTEqualizer2::kMaxDb}; }
    QVariant minimumValue() const override { return double{TNCTEqualizer2::kMinDb}; }
    QVariant minimumStepSize() const override { return double{TNCTEqualizer2::kDragStepDb}; }

protected:
    QRect localRect() const override {
        return equalizer() ? equalizer()->bandRect(band()) : QRect();
    }
    bool isFocusedPart() const override {
        return equalizer() && equalizer()->focusedBand() == band();
    }

private:
    TNCTEqualizer2 *equalizer() const { return static_cast<TNCTEqualizer2 *>(owner_.data()); }
    int band() const { return index_ + 1; }
};

class EqualizerAccessible : public PartedWidgetAccessible {
public:
    explicit EqualizerAccessible(TNCTEqualizer2 *equalizer)
        : PartedWidgetAccessible(equalizer, QAccessible::Grouping, TNCTEqualizer2::kBands) {}

    QString text(QAccessible::Text t) const override {
        QString text = PartedWidgetAccessible::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = TNCTEqualizer2::tr("Equalizer");
        return text;
    }

protected:
    QAccessibleInterface *makePart(int index) const override {
        return new EqualizerBandAccessible(equalizer(), index);
    }
    int focusedPart() const override { return equalizer()->focusedBand() - 1; }

private:
    TNCTEqualizer2 *equalizer() const { return static_cast<TNCTEqualizer2 *>(widget()); }
};

}  // namespace

QAccessibleInterface *makeEqualizerAccessible(TNCTEqualizer2 *equalizer) {
    return new EqualizerAccessible(equalizer);
}
