// One panel of the main window's status bar. It keeps the whole text it was given and shows
// as much of it as its width allows, so a long text never runs into the next panel. The
// whole text is the tooltip and the accessible description when it had to be shortened, and
// the tooltip always on a path. A message may come with a brief form, shown instead of the
// whole where the whole would not be read.
#pragma once

#include <QLabel>

class StatusPanel : public QLabel {
public:
    // Path: leading folders give way first, the file name last (an ellipsis in the middle).
    // End: the end of the text gives way.
    enum class Shortening { End, Path };

    explicit StatusPanel(Shortening shortening, QWidget *parent = nullptr);

    QString fullText() const { return fullText_; }
    // `brief`, when given, is what the panel shows of `text`.
    void setFullText(const QString &text, const QString &brief = QString());

    // The panel asks the status bar for the room its whole text needs (up to its maximum
    // width) before panels that may give way; by default it takes what it is given.
    void setWantsWholeText(bool wants);
    // The width the panel has where the bar has the room, whatever its text; down to its
    // minimum width where the bar has not.
    void setPreferredWidth(int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refit();
    int wholeTextWidth() const;

    Shortening shortening_;
    QString fullText_;
    QString brief_;
    bool wantsWholeText_ = false;
    int preferredWidth_ = -1;
};
