// The rows of source panels on the two mixer tabs. Each build replaces the tab's panels with
// one TsrcFrame per line of the chosen device, owned by the tab sheet, named "sf" (playback)
// or "sfr" (recording) plus the line number, and bound to handlers that select their line
// before they touch it (the components keep one current line per device).
#pragma once

#include "mixer/mixer_lines.h"

#include <QList>

class QWidget;
class TsrcFrame;

namespace source_panels {
constexpr int kPitch = 79;            // 81-pixel panels: neighbours share their 2-pixel edge
constexpr int kTop = 26;              // below the tab's device row
constexpr int kWindowAllowance = 98;  // what the main window needs around the row
}  // namespace source_panels

// SetSrcOutput: the playback panels, from the player's output lines.
void BuildPlaybackPanels(QWidget *sheet, const MixerComponents &components);
// SetSrcInput: the recording panels, from the recorder's input lines.
void BuildRecordingPanels(QWidget *sheet, const MixerComponents &components);

// The same panels showing their lines' current values, as changed by anyone, without a
// write back and without moving the selected line; rebuilt when the number of lines changed.
void UpdatePlaybackPanels(QWidget *sheet, const MixerComponents &components);
void UpdateRecordingPanels(QWidget *sheet, const MixerComponents &components);

// Until a tab's panels are first built: the lines are read and the window grows as building
// them would make it, without building any panel. `keepSelection` leaves the selected line
// as it was, as updating the panels does; otherwise the last line is left selected, as
// building them does.
void FitWindowToPlaybackPanels(QWidget *sheet, const MixerComponents &components,
                               bool keepSelection);
void FitWindowToRecordingPanels(QWidget *sheet, const MixerComponents &components,
                                bool keepSelection);

// The panels a tab sheet owns, in line order.
QList<TsrcFrame *> SourcePanelsOf(const QWidget *sheet);
