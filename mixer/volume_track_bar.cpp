#include "mixer/volume_track_bar.h"

#include "widgets/accessible_value_widget.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <cmath>

namespace {

// The toolkit's own slider interface would read out the raw, upside-down position.
class VolumeTrackBarAccessible : public AccessibleValueWidget {
public:
    explicit VolumeTrackBarAccessible(TVolumeTrackBar *slider)
        : AccessibleValueWidget(slider, QAccessible::Slider) {}

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name: {
                const QString own = QAccessibleWidget::text(t);
                return own.isEmpty() ? TVolumeTrackBar::tr("Volume") : own;
            }
            case QAccessible::Value:
                return TVolumeTrackBar::percentText(slider()->value());
            case QAccessible::Description:
                return TVolumeTrackBar::tr("%1 % of full volume").arg(percent());
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QVariant currentValue() const override { return percent(); }
    void setCurrentValue(const QVariant &value) override {
        // Through the slider, so that its handlers set the line as a drag would.
        if (slider()->isEnabled())
            slider()->setValue(TVolumeTrackBar::positionFor(value.toDouble()));
    }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TVolumeTrackBar *slider() const { return static_cast<TVolumeTrackBar *>(widget()); }
    int percent() const { return TVolumeTrackBar::percentAt(slider()->value()); }
};

QAccessibleInterface *volumeTrackBarFactory(const QString &key, QObject *object) {
    if (key == QLatin1String("TVolumeTrackBar"))
        return new VolumeTrackBarAccessible(static_cast<TVolumeTrackBar *>(object));
    return nullptr;
}

}  // namespace

TVolumeTrackBar::TVolumeTrackBar(QWidget *parent) : QSlider(Qt::Vertical, parent) {
    setRange(0, kMaxVolume);
    installAccessibility();
}

int TVolumeTrackBar::percentAt(int position) {
    const int volume = kMaxVolume - std::clamp(position, 0, kMaxVolume);
    return static_cast<int>(std::lround(volume * 100.0 / kMaxVolume));
}

int TVolumeTrackBar::positionFor(double percent) {
    const double volume = std::clamp(percent, 0.0, 100.0) * kMaxVolume / 100.0;
    return kMaxVolume - static_cast<int>(std::lround(volume));
}

QString TVolumeTrackBar::percentText(int position) {
    return tr("%1 %").arg(percentAt(position));
}

void TVolumeTrackBar::installAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(volumeTrackBarFactory);
}
