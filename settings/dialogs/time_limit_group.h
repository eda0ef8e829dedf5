// The "Time Limit" group shared by the auto-stop dialog and the Options dialog, and the rule
// both apply on OK: "No Limit" clears the auto-stop limit, "Stop recording after " sets it
// from hours, minutes and seconds; either way the main window's indicator follows.
#pragma once

#include <QCoreApplication>
#include <QGroupBox>

#include <functional>

class QLineEdit;
class QRadioButton;
class TUpDown;
struct RecordingSettings;

// Hints of the auto-stop tool button. Each moment has its own wording on purpose; the one for
// start-up lives with the main window.
QString AutoStopSetHint(int seconds);  // a limit was set (start-up or OK)
inline constexpr char kNoAutoStopHint[] =
    QT_TRANSLATE_NOOP("TTimeLimitGroup", "No Auto stop.");  // OK with "No Limit"
inline constexpr char kAutoStopClearedHint[] =
    QT_TRANSLATE_NOOP("TTimeLimitGroup", "No Auto Stop");  // the pressed button clicked

class TTimeLimitGroup : public QGroupBox {
    Q_OBJECT
public:
    using IndicatorHook = std::function<void(bool pressed, const QString &hint)>;

    explicit TTimeLimitGroup(QWidget *parent);

    QRadioButton *RBNoLimit;
    QRadioButton *RBLimit;
    QLineEdit *Edit1;  // hours
    QLineEdit *Edit2;  // minutes
    QLineEdit *Edit3;  // seconds
    TUpDown *UpDown1;
    TUpDown *UpDown2;
    TUpDown *UpDown3;

    void RBNoLimitClick();
    void RBLimitClick();

    // Opens on "Stop recording after " with the limit split into its fields, if it is > 0.
    void ShowLimit(int recordTime);

    // Takes the group's choice into s.RecordTime and sets the indicator. A field that is
    // neither empty nor an integer is answered with a message and changes nothing: false.
    bool ApplyTo(RecordingSettings &s, const IndicatorHook &setIndicator);
};
