#include "widgets/widget_accessibility.h"

#include "widgets/accessible_value_widget.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_equalizer2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"
#include "widgets/painted_parts_accessible.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <cmath>

namespace {

// The text a widget's own accessible name gives (set by the window, or from a buddy label),
// else `fallback`.
QString nameOr(const QAccessibleWidget &iface, const QString &fallback) {
    const QString own = iface.QAccessibleWidget::text(QAccessible::Name);
    return own.isEmpty() ? fallback : own;
}

// The position slider: 0..1000, thousandths of the file; setting it is a seek.
class PositionSliderAccessible : public AccessibleValueWidget {
public:
    explicit PositionSliderAccessible(TNCTSliderB2 *slider)
        : AccessibleValueWidget(slider, QAccessible::Slider) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return nameOr(*this, TNCTSliderB2::tr("Position"));
        if (t == QAccessible::Value)
            return TNCTSliderB2::tr("%1 %").arg(slider()->Value() / 10);
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return slider()->Value(); }
    void setCurrentValue(const QVariant &value) override {
        if (slider()->isEnabled())
            slider()->seekTo(value.toInt());
    }
    QVariant maximumValue() const override { return TNCTSliderB2::kMaxValue; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return TNCTSliderB2::kKeyStep; }

private:
    TNCTSliderB2 *slider() const { return static_cast<TNCTSliderB2 *>(widget()); }
};

// A level bar: a read-only progress bar filled as the meter is (dB scale), read out in dB.
class LevelBarAccessible : public AccessibleValueWidget {
public:
    explicit LevelBarAccessible(TNCTAmpBar2 *bar)
        : AccessibleValueWidget(bar, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return nameOr(*this, TNCTAmpBar2::tr("Level"));
        if (t == QAccessible::Value) {
            const int db = static_cast<int>(std::lround(TNCTAmpBar2::toDb(bar()->Value())));
            return TNCTAmpBar2::tr("%1 dB").arg(db);
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }

    QVariant currentValue() const override { return TNCTAmpBar2::percent(bar()->Value()); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TNCTAmpBar2 *bar() const { return static_cast<TNCTAmpBar2 *>(widget()); }
};

// The time readout: a label whose text is the elapsed time; its hint describes it.
class TimeDisplayAccessible : public QAccessibleWidget {
public:
    explicit TimeDisplayAccessible(TNCTTimeDisplay2 *display)
        : QAccessibleWidget(display, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return static_cast<TNCTTimeDisplay2 *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *paintedWidgetFactory(const QString &key, QObject *object) {
    if (key == QLatin1String("TNCTSliderB2"))
        return new PositionSliderAccessible(static_cast<TNCTSliderB2 *>(object));
    if (key == QLatin1String("TNCTPlayButtonB2"))
        return makeTransportBarAccessible(static_cast<TNCTPlayButtonB2 *>(object));
    if (key == QLatin1String("TNCTAmpBar2"))
        return new LevelBarAccessible(static_cast<TNCTAmpBar2 *>(object));
    if (key == QLatin1String("TNCTTimeDisplay2"))
        return new TimeDisplayAccessible(static_cast<TNCTTimeDisplay2 *>(object));
    if (key == QLatin1String("TNCTEqualizer2"))
        return makeEqualizerAccessible(static_cast<TNCTEqualizer2 *>(object));
    return nullptr;
}

}  // namespace

void installWidgetAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(paintedWidgetFactory);
}
