// Pictures for menus, the tool bar, tabs and windows. The desktop's icon theme is asked first so
// the program looks at home; where the theme has no picture (or none Qt can load), our own
// bundled one is used, so no button is ever blank.
#pragma once

#include <QIcon>

// name is a freedesktop icon name. Bundled pictures exist for:
//   document-open, application-exit, media-record, media-playback-start,
//   media-playback-pause, media-playback-stop, audio-input-microphone, audio-volume-high,
//   document-properties, preferences-system, chronometer, help-contents, help-about, go-home,
//   audio-x-generic, edit-rename, edit-delete, list-remove, korvanta-tip.
// Any other name gives the theme's icon or, without one, a null icon.
QIcon korvantaIcon(const char *name);

// Our bundled picture only, never the theme's (for pictures that identify the program).
QIcon korvantaBundledIcon(const char *name);

// The program's own icon, in every bundled size.
QIcon korvantaAppIcon();

// Sets the application's icon and tells the desktop which .desktop file the windows belong to,
// so task bars and window lists show our icon.
void applyApplicationIdentity();
