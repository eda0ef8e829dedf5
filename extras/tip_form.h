// "Tip of the Day": one line of advice at a time from tips.txt, with the choice of seeing it at
// every start. Each showing is a fresh window reading tips.txt and setup.ini afresh; the place
// in the tip list and the start-up choice are saved only by "Close".
#pragma once

#include "extras/tip_sequence.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QCheckBox;
class QPushButton;
class QTextEdit;

class TTipForm : public QDialog {
    Q_OBJECT
public:
    explicit TTipForm(QWidget *owner);
    ~TTipForm() override;

    void BtnNextClick();
    void BtnCloseClick();

    int CurrentTipNo() const { return tips_->CurrentTipNo(); }
    int TotalLine() const { return tips_->TotalLine(); }
    int ShowTip = 1;  // tips/showtip as read when the window was created

    QTextEdit *RichEdit1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QPushButton *BtnNext = nullptr;
    QPushButton *BtnClose = nullptr;

private:
    void FormCreate();
    void FormClose();
    void buildUi();
    void showTipText();

    std::optional<TipSequence> tips_;
    int storedTipNo_ = 1;  // tips/tipno as read when the window was created
};

enum class TipOccasion { Startup, OnRequest };

// Shows the tip window modally over owner, creating it into `form` when there is none; `form`
// is null again once the window is closed, and must outlive it. At start-up a tip file
// without tips shows nothing; on request the window opens empty and can be closed. The
// window is modal without a nested event loop: the call returns at once.
void ShowTipOfTheDay(QPointer<TTipForm> &form, QWidget *owner, TipOccasion occasion);

// tips/showtip of setup.ini equals 1 (the default).
bool TipsWantedAtStartup();
