#include "mixer/source_panels.h"

#include "mixer/adv_form.h"
#include "mixer/src_frame.h"
#include "mixer/volume_track_bar.h"

#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <memory>

namespace {

// The handlers of one side's panels. The Playback... and Record... handlers of the two tabs
// differ only in the component they act on, which `lines_` stands for.
class PanelHandlers {
public:
    PanelHandlers(std::shared_ptr<MixerLines> lines, const MixerComponents &components,
                  QWidget *sheet)
        : lines_(std::move(lines)), components_(components), sheet_(sheet) {}

    // PlaybackTrackBarChange, RecordTrackBarChange
    void TrackBarChange(QSlider *sender, int line) {
        const int volume = 65535 - sender->value();
        const QString hint = TVolumeTrackBar::percentText(sender->value());
        sender->setToolTip(hint);
        // The percentage follows the thumb while it is dragged.
        QToolTip::showText(QCursor::pos(), hint, sender);
        lines_->select(line);
        lines_->setVolume(line, volume);
    }

    // PlaybackBalanceTrackBarChange, RecordBalanceTrackBarChange
    void BalanceTrackBarChange(QSlider *sender, int line) {
        lines_->select(line);
        lines_->setBalance(line, sender->value());
    }

    // PlaybackMuteChange
    void MuteChange(QCheckBox *sender, int line) {
        lines_->select(line);
        lines_->setSwitch(line, sender->isChecked());
    }

    // RecordSrcSelectChange: a device may record from one line only, so selecting one can
    // clear the others; every panel shows what the device made of it.
    void SrcSelectChange(QCheckBox *sender, int line) {
        lines_->select(line);
        lines_->setSwitch(line, sender->isChecked());
        if (!sheet_)
            return;
        const std::vector<MixerLine> now = lines_->lines();
        for (size_t i = 0; i < now.size(); ++i) {
            const QString name = QStringLiteral("sfr") + QString::number(i);
            if (auto *panel = sheet_->findChild<TsrcFrame *>(name, Qt::FindDirectChildrenOnly))
                panel->CheckBox1->setChecked(lines_->switchOn(now[i]));
        }
    }

    // PlaybackAdvClick, RecordAdvClick
    void AdvClick(int line) {
        lines_->select(line);
        TfrmAdv dialog(components_, sheet_ ? sheet_->window() : nullptr);
        dialog.m_Rec = lines_->isRecording();
        dialog.exec();
    }

private:
    std::shared_ptr<MixerLines> lines_;
    MixerComponents components_;
    QPointer<QWidget> sheet_;
};

// Shows what `line` holds now. Nothing is written back: the controls' signals are blocked,
// and a slider the user is dragging is left where the hand holds it.
void fillPanel(TsrcFrame *panel, const MixerLine &line, const MixerLines &side) {
    panel->Label1->setText(line.name);
    // Several panels stand side by side; their controls are told apart by the line's name.
    panel->TrackBar1->setAccessibleName(TsrcFrame::tr("%1 volume").arg(line.name));
    panel->TrackBar2->setAccessibleName(TsrcFrame::tr("%1 balance").arg(line.name));
    QSlider *volume = panel->TrackBar1;
    const QSignalBlocker volumeBlocker(volume);
    volume->setEnabled(line.hasVolume);
    if (!volume->isSliderDown()) {
        volume->setValue(65535 - line.volume);
        volume->setToolTip(TVolumeTrackBar::percentText(volume->value()));
    }
    QSlider *balance = panel->TrackBar2;
    const QSignalBlocker balanceBlocker(balance);
    balance->setEnabled(line.hasBalance);
    if (!balance->isSliderDown())
        balance->setValue(line.balance);
    const QSignalBlocker switchBlocker(panel->CheckBox1);
    panel->CheckBox1->setEnabled(side.switchEnabled(line));
    panel->CheckBox1->setChecked(side.switchOn(line));
    if (side.isRecording())
        panel->setSwitchCaption(TsrcFrame::tr("Select"));
    panel->Button1->setVisible(!line.advanced.empty());
}

// Values are in place before the handlers are bound, so building writes nothing back.
void bindPanel(TsrcFrame *panel, const std::shared_ptr<PanelHandlers> &handlers, bool recording) {
    const int line = panel->Tag;
    QSlider *volume = panel->TrackBar1;
    QObject::connect(volume, &QSlider::valueChanged, volume,
                     [handlers, volume, line] { handlers->TrackBarChange(volume, line); });
    QSlider *balance = panel->TrackBar2;
    QObject::connect(balance, &QSlider::valueChanged, balance,
                     [handlers, balance, line] { handlers->BalanceTrackBarChange(balance, line); });
    QCheckBox *box = panel->CheckBox1;
    if (recording) {
        QObject::connect(box, &QCheckBox::clicked, box,
                         [handlers, box, line] { handlers->SrcSelectChange(box, line); });
    } else {
        QObject::connect(box, &QCheckBox::clicked, box,
                         [handlers, box, line] { handlers->MuteChange(box, line); });
    }
    QObject::connect(panel->Button1, &QPushButton::clicked, panel->Button1,
                     [handlers, line] { handlers->AdvClick(line); });
}

// The panels stand below the tab's top row. The design's 26 pixels fit a 21-pixel drop-down;
// where the style draws the row taller, the panels move down rather than cover it.
int panelTop(const QWidget *sheet) {
    int top = source_panels::kTop;
    for (const QObject *child : sheet->children()) {
        const auto *widget = qobject_cast<const QWidget *>(child);
        if (!widget || widget->isWindow() || widget->isHidden() ||
            qobject_cast<const TsrcFrame *>(widget))
            continue;
        if (widget->y() < source_panels::kTop)
            top = std::max(top, widget->y() + widget->height() + 2);
    }
    return top;
}

// The window grows to show a row of `count` + 1 panels `width` wide; it never shrinks here.
void growWindow(QWidget *sheet, int count, int width) {
    const int pitch = width - (TsrcFrame::kWidth - source_panels::kPitch);
    QWidget *window = sheet->window();
    const int wanted =
        count * pitch + source_panels::kWindowAllowance + (width - TsrcFrame::kWidth);
    if (window != sheet && window->width() < wanted)
        window->resize(wanted, window->height());
}

void buildPanels(QWidget *sheet, const std::shared_ptr<MixerLines> &lines,
                 const MixerComponents &components) {
    if (!sheet || !lines)
        return;
    const QList<TsrcFrame *> old = SourcePanelsOf(sheet);
    for (auto it = old.rbegin(); it != old.rend(); ++it)
        delete *it;

    const std::vector<MixerLine> now = lines->lines();
    if (now.empty())
        return;
    const int count = static_cast<int>(now.size()) - 1;  // the highest line number

    const bool recording = lines->isRecording();
    const QString prefix = recording ? QStringLiteral("sfr") : QStringLiteral("sf");
    auto handlers = std::make_shared<PanelHandlers>(lines, components, sheet);
    const int top = panelTop(sheet);
    QList<TsrcFrame *> panels;
    for (int i = 0; i <= count; ++i) {
        auto *panel = new TsrcFrame(sheet);
        panel->setObjectName(prefix + QString::number(i));
        panel->Tag = i;
        fillPanel(panel, now[static_cast<size_t>(i)], *lines);
        bindPanel(panel, handlers, recording);
        panels << panel;
    }
    // Building leaves the last line selected, as FitWindowTo...Panels says.
    lines->select(count);
    // One width for the row: the design's, or what the widest caption needs in this font.
    int width = TsrcFrame::kWidth;
    for (const TsrcFrame *panel : panels)
        width = std::max(width, panel->neededWidth());
    const int pitch = width - (TsrcFrame::kWidth - source_panels::kPitch);
    for (TsrcFrame *panel : panels) {
        panel->setGeometry(panel->Tag * pitch, top, width, TsrcFrame::kHeight);
        panel->show();
    }

    growWindow(sheet, count, width);
}

void fitWindow(QWidget *sheet, const std::shared_ptr<MixerLines> &lines, bool keepSelection) {
    if (!sheet || !lines)
        return;
    const std::vector<MixerLine> now = lines->lines();
    if (now.empty())
        return;
    const int count = static_cast<int>(now.size()) - 1;
    QStringList names;
    for (const MixerLine &line : now)
        names << line.name;
    // Reading the lines leaves the selection alone; without `keepSelection` the last line is
    // selected, as after a walk over all of them.
    if (!keepSelection)
        lines->select(count);
    const QString caption = lines->isRecording() ? TsrcFrame::tr("Select") : TsrcFrame::tr("Mute");
    growWindow(sheet, count, TsrcFrame::neededWidthFor(sheet, names, caption));
}

void updatePanels(QWidget *sheet, const std::shared_ptr<MixerLines> &lines,
                  const MixerComponents &components) {
    if (!sheet || !lines)
        return;
    const QList<TsrcFrame *> panels = SourcePanelsOf(sheet);
    const std::vector<MixerLine> now = lines->lines();
    if (panels.size() != static_cast<qsizetype>(now.size())) {
        buildPanels(sheet, lines, components);
        return;
    }
    for (TsrcFrame *panel : panels) {
        if (panel->Tag >= 0 && panel->Tag < static_cast<int>(now.size()))
            fillPanel(panel, now[static_cast<size_t>(panel->Tag)], *lines);
    }
}

}  // namespace

void BuildPlaybackPanels(QWidget *sheet, const MixerComponents &components) {
    buildPanels(sheet, LinesOf(components, false), components);
}

void BuildRecordingPanels(QWidget *sheet, const MixerComponents &components) {
    buildPanels(sheet, LinesOf(components, true), components);
}

void UpdatePlaybackPanels(QWidget *sheet, const MixerComponents &components) {
    updatePanels(sheet, LinesOf(components, false), components);
}

void UpdateRecordingPanels(QWidget *sheet, const MixerComponents &components) {
    updatePanels(sheet, LinesOf(components, true), components);
}

void FitWindowToPlaybackPanels(QWidget *sheet, const MixerComponents &components,
                               bool keepSelection) {
    fitWindow(sheet, LinesOf(components, false), keepSelection);
}

void FitWindowToRecordingPanels(QWidget *sheet, const MixerComponents &components,
                                bool keepSelection) {
    fitWindow(sheet, LinesOf(components, true), keepSelection);
}

QList<TsrcFrame *> SourcePanelsOf(const QWidget *sheet) {
    return sheet->findChildren<TsrcFrame *>(QString(), Qt::FindDirectChildrenOnly);
}
