// Where the program's files live. A build folder or a portable copy, whose folder the user can
// write, keeps setup.ini and Recording/ beside the executable. An installed program cannot
// write there, so it keeps them where the desktop keeps each user's: setup.ini in the user's
// configuration folder, recordings in the music folder. Read-only data (tips, support.ini, the
// manual) is looked up beside the executable, then in the install's data folder.
#pragma once

#include <QString>

// The executable's directory, always ending in "/".
QString executableDirectory();

// Points executableDirectory() somewhere else (tests); an empty dir restores the real one.
void setExecutableDirectoryForTesting(const QString &dir);

// Makes the executable's directory count as not writable, whatever its permission bits say
// (tests run as root, where those bits stop nothing); false restores the real check.
void setExecutableDirectoryReadOnlyForTesting(bool readOnly);

// True when setup.ini and Recording/ belong beside the executable: its folder is writable, or
// a setup.ini there is. An installed program (data in share/, none beside it) uses the user's
// folders even when its own is writable, unless a setup.ini is already beside it.
bool userFilesBesideExecutable();

// The user's configuration folder for this program ($XDG_CONFIG_HOME/korvanta-recorder/).
QString userConfigDirectory();

// Where setup.ini is read from. Beside a read-only executable this is the configuration
// folder's copy once it exists, else a readable setup.ini beside the executable, so values
// stored there before are not lost.
QString setupIniPath();

// Where setup.ini is written. Beside a read-only executable this creates the configuration
// folder and, on the first write, copies a readable setup.ini from beside the executable into
// it, so the write adds to the stored values instead of starting afresh.
QString writableSetupIniPath();

// The default savepath, ending in "/": Recording/ beside the executable, or "Recordings" in
// the music folder (the home folder when there is none).
QString defaultRecordingFolder();

QString supportIniPath();
// tips.txt, or tips_<language>.txt where the tips have been translated (as the manual).
QString tipsPath();
// The user manual's first page: manual/index.html beside the executable (a build folder) or in
// the install's data folder; manual/<language>/index.html instead where the manual has been
// translated into the language of QLocale() (the user's, unless a default was set).
QString manualIndexPath();

// The folder of the program's compiled translations (korvanta_<language>.qm): translations/
// beside the executable, else in the install's data folder.
QString translationsDirectory();
