// Environment switches that let the benchmarks drive the whole program as a user would,
// without a mouse: record for a set time, or play one file to its end, then leave.
//   KORVANTA_RECORD_SECONDS=N   record N seconds (MP3 128 kbps) from the selected input
//   KORVANTA_RECORD_FOLDER=DIR  into this folder instead of the configured one
//   KORVANTA_PLAY_FILE=PATH     play PATH to its end
//   KORVANTA_VIEW=hidden|minimised  show another tab than "Record Sound", or start minimised
//   KORVANTA_REPORT_LIST=1      for the command-line test: once the files named on the
//                               command line are open, print the list and leave
// On leaving, one line goes to stdout: "frames N dropped M missing K" for a recording
// (frames in the file, frames the recorder's queue lost, and how many fewer frames reached
// the file than the wall clock says were captured from the first sound on), "played" for a
// playback that reached the file's end, and for the list one line "row PATH" a row and then
// "current PATH", each PATH in the bytes the file system knows it by; the exit status is
// then 0. A run that cannot do what it was asked (no such file, nothing in it to play, a
// device that fails, a message box that would wait for a click) writes the switch and the
// reason to stderr instead and exits with status 1; no box waits for an answer.
#pragma once

class TForm1;
struct RecordingSettings;

// True when a scripted run was asked for; the window is then shown by this, in the view
// asked for, and the run starts at the first turn of the event loop. A recording sets its
// format in `settings`, the window's.
bool startScriptedRun(TForm1 &window, RecordingSettings &settings);

// With KORVANTA_REPORT_LIST set: prints the list's rows and the current file, and leaves.
// Called once the files named on the command line are open.
void reportListIfAsked(TForm1 &window);
