// One panel of the main window's status bar. It keeps the whole text it was given and shows
// as much of it as its width allows, so a long text never runs into the next panel. The
// whole text is the tooltip when it had to be shortened, and always on a path.
#pragma once

#include <QLabel>

class StatusPanel : public QLabel {
public:
    // Path: leading folders give way first, the file name last (an ellipsis in the middle).
    // End: the end of the text gives way.
    enum class Shortening { End, Path };

    explicit StatusPanel(Shortening shortening, QWidget *parent = nullptr);

    QString fullText() const { return fullText_; }
    void setFullText(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refit();

    Shortening shortening_;
    QString fullText_;
};
