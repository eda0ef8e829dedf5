#include "mixer/rec_flt_form.h"

#include "audio/audio_record2.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace {

constexpr QChar kEnter(13);
constexpr QChar kDelete(127);  // a key, not a character: it edits the box like the arrows

}  // namespace

bool IsValidChar(QChar key) {
    const char16_t code = key.unicode();
    if (code < 32)
        return key != kEnter;
    if (key == QLatin1Char('+') || key == QLatin1Char('-'))
        return true;
    if (code >= u'0' && code <= u'9')
        return true;
    const QString separator = QLocale().decimalPoint();
    return !separator.isEmpty() && key == separator.at(0);
}

int FrequencyToPosition(float hz, int min, int max) {
    if (std::isnan(hz))
        return min;
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(static_cast<double>(hz));
    return static_cast<int>(
        std::clamp(rounded, static_cast<double>(min), static_cast<double>(max)));
}

TfrmRecFlt::TfrmRecFlt(TAudioRecord2 &recorder, QWidget *parent)
    : QDialog(parent), recorder_(recorder) {
    setWindowTitle(tr("Recording Filters"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(380, 120);

    rows_[kNotch].enabled = &TAudioRecord2::NotchFilterEnabled;
    rows_[kNotch].setEnabled = &TAudioRecord2::setNotchFilterEnabled;
    rows_[kNotch].frequency = &TAudioRecord2::NotchFilterFrequency;
    rows_[kNotch].setFrequency = &TAudioRecord2::setNotchFilterFrequency;
    rows_[kHighPass].enabled = &TAudioRecord2::HighPassFilterEnabled;
    rows_[kHighPass].setEnabled = &TAudioRecord2::setHighPassFilterEnabled;
    rows_[kHighPass].frequency = &TAudioRecord2::HighPassFilterFrequency;
    rows_[kHighPass].setFrequency = &TAudioRecord2::setHighPassFilterFrequency;
    rows_[kLowPass].enabled = &TAudioRecord2::LowPassFilterEnabled;
    rows_[kLowPass].setEnabled = &TAudioRecord2::setLowPassFilterEnabled;
    rows_[kLowPass].frequency = &TAudioRecord2::LowPassFilterFrequency;
    rows_[kLowPass].setFrequency = &TAudioRecord2::setLowPassFilterFrequency;

    buildRow(kNotch, 16, tr("Notch Filter"), 40, 200, 50, 5);
    buildRow(kHighPass, 48, tr("HighPass Filter"), 100, 44100, 400, 1000);
    buildRow(kLowPass, 80, tr("LowPass Filter"), 100, 44100, 4000, 1000);

    CheckBox1 = rows_[kNotch].checkBox;
    CheckBox2 = rows_[kHighPass].checkBox;
    CheckBox3 = rows_[kLowPass].checkBox;
    TrackBar1 = rows_[kNotch].trackBar;
    TrackBar2 = rows_[kHighPass].trackBar;
    TrackBar3 = rows_[kLowPass].trackBar;
    Edit1 = rows_[kNotch].edit;
    Edit2 = rows_[kHighPass].edit;
    Edit3 = rows_[kLowPass].edit;
}

TfrmRecFlt::~TfrmRecFlt() {
    // The boxes lose focus while they are destroyed; that must not reach the handlers.
    for (FilterRow &row : rows_)
        row.edit->removeEventFilter(this);
}

void TfrmRecFlt::buildRow(int row, int top, const QString &caption, int min, int max, int position,
                          int tick) {
    FilterRow &r = rows_[row];
    const QString number = QString::number(row + 1);

    r.checkBox = new QCheckBox(caption, this);
    r.checkBox->setObjectName(QStringLiteral("CheckBox") + number);
    const int boxWidth = std::max(89, r.checkBox->sizeHint().width());
    r.checkBox->setGeometry(16, top, boxWidth, 21);

    // A caption wider than its design space takes it from the slider, not from the caption.
    const int sliderLeft = std::max(112, 16 + boxWidth + 4);
    r.trackBar = new QSlider(Qt::Horizontal, this);
    r.trackBar->setObjectName(QStringLiteral("TrackBar") + number);
    r.trackBar->setGeometry(sliderLeft, top, 297 - sliderLeft, 25);
    r.trackBar->setRange(min, max);
    r.trackBar->setValue(position);
    r.trackBar->setTickInterval(tick);
    r.trackBar->setPageStep(tick);
    r.trackBar->setTickPosition(QSlider::TicksBelow);

    r.edit = new QLineEdit(QString::number(position), this);
    r.edit->setObjectName(QStringLiteral("Edit") + number);
    // 41 wide, or what the highest frequency needs in this font; the unit follows the box.
    const int editWidth =
        std::max(41, r.edit->fontMetrics().horizontalAdvance(QString::number(max)) + 10);
    r.edit->setGeometry(304, top + 2, editWidth, 21);
    r.edit->installEventFilter(this);

    auto *unit = new QLabel(tr("Hz"), this);
    unit->move(304 + editWidth + 7, top + 8);
    unit->adjustSize();
    if (unit->geometry().right() + 16 > width())
        setFixedSize(unit->geometry().right() + 16, height());
    // The filter's caption stands beside both; the unit alone would name neither well.
    r.trackBar->setAccessibleName(tr("%1 frequency").arg(caption));
    r.edit->setAccessibleName(tr("%1 frequency in Hz").arg(caption));

    connect(r.checkBox, &QCheckBox::toggled, this, [this, row] { CheckBoxClick(row); });
    connect(r.trackBar, &QSlider::valueChanged, this, [this, row] { TrackBarChange(row); });
}

void TfrmRecFlt::SetUpFromRecorder() {
    for (FilterRow &r : rows_) {
        r.checkBox->setChecked((recorder_.*r.enabled)());
        r.trackBar->setValue(FrequencyToPosition((recorder_.*r.frequency)(), r.trackBar->minimum(),
                                                 r.trackBar->maximum()));
    }
}

void TfrmRecFlt::CheckBoxClick(int row) {
    const FilterRow &r = rows_[row];
    (recorder_.*r.setEnabled)(r.checkBox->isChecked());
}

void TfrmRecFlt::TrackBarChange(int row) {
    const FilterRow &r = rows_[row];
    const int position = r.trackBar->value();
    r.edit->setText(QString::number(position));
    (recorder_.*r.setFrequency)(static_cast<float>(position));
}

bool TfrmRecFlt::EditKeyPress(int row, QChar key) {
    if (key == kEnter) {
        EditExit(row);
        return false;
    }
    if (!IsValidChar(key)) {
        QApplication::beep();
        return false;
    }
    return true;
}

void TfrmRecFlt::EditExit(int row) {
    const FilterRow &r = rows_[row];
    bool ok = false;
    const int typed = r.edit->text().trimmed().toInt(&ok, 10);
    if (ok) {
        // The slider clamps the value; only a move runs its handler and reaches the recorder.
        r.trackBar->setValue(typed);
    }
    // The box always ends up showing the frequency in force, also when a clamped value left
    // the slider where it was.
    r.edit->setText(QString::number(r.trackBar->value()));
}

bool TfrmRecFlt::eventFilter(QObject *watched, QEvent *event) {
    int row = -1;
    for (int i = 0; i < 3; ++i) {
        if (watched == rows_[i].edit)
            row = i;
    }
    if (row < 0)
        return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        // Keys without a character (arrows, Home, Delete) edit the box as usual.
        if (text.isEmpty() || text.at(0) == kDelete)
            return false;
        return !EditKeyPress(row, text.at(0));
    }
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        EditExit(row);
    }
    return QDialog::eventFilter(watched, event);
}
