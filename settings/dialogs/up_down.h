// Up-down arrows bound to a text field: each step reads the number in the field, moves it by
// the increment within the range (no wrapping) and writes it back. Typed text is not limited;
// text that is not a number steps from the last position the arrows set. The arrows follow
// the field's enabled state, and the Up and Down keys in the field step as well.
#pragma once

#include <QWidget>

class QHBoxLayout;
class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit *associate, QWidget *parent);

    void setRange(int min, int max);
    void setIncrement(int increment);
    int Position() const { return position_; }

    // +1 is one step up, -1 one step down.
    void stepBy(int steps);

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *associate_;
    QToolButton *up_;
    QToolButton *down_;
    int min_ = 0;
    int max_ = 100;
    int increment_ = 1;
    int position_ = 0;
};

// The settings dialogs' number fields: they start as "0" and disabled, and their arrows run
// from 0 to 100.
QLineEdit *MakeNumberField(QWidget *parent);
TUpDown *MakeUpDown(QLineEdit *field, int increment, QWidget *parent);
// Appends field, arrows and unit label to a row of number fields.
void AddNumberField(QHBoxLayout *row, QLineEdit *field, TUpDown *upDown, const QString &unit);
