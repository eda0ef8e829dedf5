// Which tip of the day is on display and which comes next, without any window.
//
// Tips are numbered from 1. The stored number is the last tip the user saw, so a fresh
// showing starts with the tip after it; numbers past the end wrap around, and a negative
// number shows nothing until the user steps forward to tip 1.
#pragma once

#include <QString>
#include <QStringList>

// The tips of a tip file: one per line, empty lines skipped, every other line (even one of
// blanks only) kept as it stands. A missing or unreadable file has no tips. UTF-8 text is
// read as such; anything else is taken as Latin-1.
QStringList ReadTips(const QString &path);

class TipSequence {
public:
    // Positions on the tip after storedTipNo, as a fresh tip window does.
    TipSequence(QStringList tips, int storedTipNo);

    // Steps to the next tip, wrapping after the last. Returns false when no tip could be
    // shown (no tips at all, or the number is still below 1); the shown text then stays.
    bool Next();

    int CurrentTipNo() const { return currentTipNo_; }
    int TotalLine() const { return static_cast<int>(tips_.size()); }
    // The text on display; empty while no tip has been shown.
    const QString &ShownText() const { return shownText_; }
    bool HasShownTip() const { return hasShownTip_; }

private:
    bool show(int tipNo);

    QStringList tips_;
    int currentTipNo_ = 0;
    QString shownText_;
    bool hasShownTip_ = false;
};
