// The recording filters tool window: notch, high-pass and low-pass filter of the recorder,
// each switched by a check box and tuned by a slider with a typed-in value beside it. Edits
// act at once, whether or not a recording runs. One instance lives for the whole run;
// closing it only hides it.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class TAudioRecord2;

class TfrmRecFlt : public QDialog {
    Q_OBJECT
public:
    enum Row { kNotch = 0, kHighPass = 1, kLowPass = 2 };

    explicit TfrmRecFlt(TAudioRecord2 &recorder, QWidget *parent = nullptr);
    ~TfrmRecFlt() override;

    QCheckBox *CheckBox1 = nullptr;  // "Notch Filter"
    QCheckBox *CheckBox2 = nullptr;  // "HighPass Filter"
    QCheckBox *CheckBox3 = nullptr;  // "LowPass Filter"
    QSlider *TrackBar1 = nullptr;    // 40..200 Hz
    QSlider *TrackBar2 = nullptr;    // 100..44100 Hz
    QSlider *TrackBar3 = nullptr;    // 100..44100 Hz
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;

    // Shows the recorder's filter settings, through the ordinary handlers: a frequency the
    // slider cannot show is clamped and written back. Run once, when the main window is
    // first shown.
    void SetUpFromRecorder();

    // The handlers of a row (CheckBox1Click, TrackBar1Change, Edit1KeyPress, Edit1Exit, ...).
    void CheckBoxClick(int row);
    void TrackBarChange(int row);
    // Returns whether the key goes on to the edit box.
    bool EditKeyPress(int row, QChar key);
    void EditExit(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct FilterRow {
        QCheckBox *checkBox = nullptr;
        QSlider *trackBar = nullptr;
        QLineEdit *edit = nullptr;
        bool (TAudioRecord2::*enabled)() const = nullptr;
        void (TAudioRecord2::*setEnabled)(bool) = nullptr;
        float (TAudioRecord2::*frequency)() const = nullptr;
        void (TAudioRecord2::*setFrequency)(float) = nullptr;
    };

    void buildRow(int row, int top, const QString &caption, int min, int max, int position,
                  int tick);

    TAudioRecord2 &recorder_;
    std::array<FilterRow, 3> rows_;
};

// Keys the frequency boxes take: digits, "+", "-", the locale's decimal separator and the
// control characters (Backspace among them) except Enter.
bool IsValidChar(QChar key);

// A recorder frequency as a slider position: rounded to the nearest integer (halves to
// even) and clamped to min..max.
int FrequencyToPosition(float hz, int min, int max);
