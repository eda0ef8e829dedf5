<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ApplicationTable</name>
    <message>
        <source>%1 — %2</source>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>%1 #%2</source>
        <translation>%1 Nr. %2</translation>
    </message>
</context>
<context>
    <name>AudioDeviceMixer</name>
    <message>
        <source>%1 (application)</source>
        <translation>%1 (Anwendung)</translation>
    </message>
</context>
<context>
    <name>BackendFactory</name>
    <message>
        <source>Sound is switched off (KORVANTA_AUDIO=none).</source>
        <translation>Der Ton ist abgeschaltet (KORVANTA_AUDIO=none).</translation>
    </message>
    <message>
        <source>No sound device is available.</source>
        <translation>Kein Audiogerät verfügbar.</translation>
    </message>
</context>
<context>
    <name>CaptureStatus</name>
    <message>
        <source>1 gap</source>
        <translation>1 Lücke</translation>
    </message>
    <message>
        <source>%1 gaps</source>
        <translation>%1 Lücken</translation>
    </message>
    <message>
        <source>1 gap in the recording, %1 s long: the sound was lost there.</source>
        <translation>1 Lücke in der Aufnahme, %1 s lang: dort ging der Ton verloren.</translation>
    </message>
    <message>
        <source>%1 gaps in the recording, %2 s in total: the sound was lost there.</source>
        <translation>%1 Lücken in der Aufnahme, insgesamt %2 s: dort ging der Ton verloren.</translation>
    </message>
    <message>
        <source>1 gap in the recording at %1, %2 s long: the sound was lost there.</source>
        <translation>1 Lücke in der Aufnahme bei %1, %2 s lang: dort ging der Ton verloren.</translation>
    </message>
    <message>
        <source>%1 gaps in the recording, %2 s in total: the sound was lost at %3.</source>
        <translation>%1 Lücken in der Aufnahme, insgesamt %2 s: der Ton ging verloren bei %3.</translation>
    </message>
    <message>
        <source>%1 (%2 s)</source>
        <translation>%1 (%2 s)</translation>
    </message>
    <message>
        <source>1 sample reached full scale and is clipped.</source>
        <translation>1 Abtastwert erreichte die Vollaussteuerung und ist übersteuert.</translation>
    </message>
    <message>
        <source>%1 samples reached full scale and are clipped.</source>
        <translation>%1 Abtastwerte erreichten die Vollaussteuerung und sind übersteuert.</translation>
    </message>
    <message>
        <source>The disk that holds %1 is nearly full: %2 at this format. The recording stops when the disk is full.</source>
        <translation>Der Datenträger mit %1 ist fast voll: %2 in diesem Format. Die Aufnahme endet, wenn der Datenträger voll ist.</translation>
    </message>
</context>
<context>
    <name>DialogMessages</name>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
</context>
<context>
    <name>EncodedFormat</name>
    <message>
        <source>Opus can&apos;t be written at %1 kbps</source>
        <translation>Opus kann nicht mit %1 kbps geschrieben werden</translation>
    </message>
    <message>
        <source>Vorbis can&apos;t be written at quality %1, %2 Hz</source>
        <translation>Vorbis kann nicht in Qualität %1, %2 Hz geschrieben werden</translation>
    </message>
</context>
<context>
    <name>EncodedWriter</name>
    <message>
        <source>The %1 file writer is not available</source>
        <translation>Der Dateischreiber für %1 ist nicht verfügbar</translation>
    </message>
    <message>
        <source>The %1 encoder is not available</source>
        <translation>Der Encoder für %1 ist nicht verfügbar</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The encoder failed: %1</source>
        <translation>Der Encoder ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>FfmpegCodecLoader</name>
    <message>
        <source>%1 belongs to another version of the program</source>
        <translation>%1 gehört zu einer anderen Version des Programms</translation>
    </message>
    <message>
        <source>%1 was not found next to the program</source>
        <translation>%1 wurde neben dem Programm nicht gefunden</translation>
    </message>
    <message>
        <source>Cannot load the audio codecs: </source>
        <translation>Die Audio-Codecs können nicht geladen werden: </translation>
    </message>
</context>
<context>
    <name>FfmpegSource</name>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stereo</translation>
    </message>
    <message>
        <source>%1 channels</source>
        <translation>%1 Kanäle</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Speicher</translation>
    </message>
    <message>
        <source>Unknown or damaged file format (%1)</source>
        <translation>Unbekanntes oder beschädigtes Dateiformat (%1)</translation>
    </message>
    <message>
        <source>The file&apos;s streams can&apos;t be read</source>
        <translation>Die Datenströme der Datei können nicht gelesen werden</translation>
    </message>
    <message>
        <source>The file&apos;s audio coding is not supported</source>
        <translation>Die Audiokodierung der Datei wird nicht unterstützt</translation>
    </message>
    <message>
        <source>The file holds no audio</source>
        <translation>Die Datei enthält keinen Ton</translation>
    </message>
    <message>
        <source>The audio stream can&apos;t be decoded</source>
        <translation>Der Audiodatenstrom kann nicht dekodiert werden</translation>
    </message>
    <message>
        <source>The audio data does not decode</source>
        <translation>Die Audiodaten lassen sich nicht dekodieren</translation>
    </message>
    <message>
        <source>bitrate unknown</source>
        <translation>Bitrate unbekannt</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
</context>
<context>
    <name>FormatTables</name>
    <message>
        <source>%1 Hz - %2 bit,%3</source>
        <translation>%1 Hz - %2 Bit,%3</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>Stereo</source>
        <translation>Stereo</translation>
    </message>
    <message>
        <source>%1 Hz, %2 kbps</source>
        <translation>%1 Hz, %2 kbps</translation>
    </message>
    <message>
        <source>%1 kbps,%2</source>
        <translation>%1 kbps,%2</translation>
    </message>
    <message>
        <source>q%1 (~%2 kbps) - %3 Hz,%4</source>
        <translation>q%1 (~%2 kbps) - %3 Hz,%4</translation>
    </message>
</context>
<context>
    <name>HelpCommands</name>
    <message>
        <source>Help Contents</source>
        <translation>Hilfethemen</translation>
    </message>
    <message>
        <source>The user manual was not found: %1

It is installed with the program (into share/korvanta-recorder/manual/); reinstalling the program puts it back.</source>
        <translation>Das Benutzerhandbuch wurde nicht gefunden: %1

Es wird mit dem Programm installiert (nach share/korvanta-recorder/manual/); eine erneute Installation des Programms stellt es wieder her.</translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>LazyLibrary</name>
    <message>
        <source>Cannot load %1: %2</source>
        <translation>%1 kann nicht geladen werden: %2</translation>
    </message>
    <message>
        <source>Cannot load %1: it has no %2</source>
        <translation>%1 kann nicht geladen werden: %2 fehlt darin</translation>
    </message>
</context>
<context>
    <name>LiveDeviceList</name>
    <message>
        <source>input</source>
        <translation>Eingabegerät</translation>
    </message>
    <message>
        <source>output</source>
        <translation>Ausgabegerät</translation>
    </message>
    <message>
        <source>The %1 device &quot;%2&quot; was removed; using &quot;%3&quot;.</source>
        <translation>Das %1 „%2“ wurde entfernt; „%3“ wird verwendet.</translation>
    </message>
    <message>
        <source>Input now &quot;%1&quot; (the device in use was removed)</source>
        <translation>Eingang jetzt „%1“ (das verwendete Gerät wurde entfernt)</translation>
    </message>
    <message>
        <source>Output now &quot;%1&quot; (the device in use was removed)</source>
        <translation>Ausgabe jetzt „%1“ (das verwendete Gerät wurde entfernt)</translation>
    </message>
</context>
<context>
    <name>Mp3Writer</name>
    <message>
        <source>The MP3 encoder could not be started</source>
        <translation>Der MP3-Encoder konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>MP3 can&apos;t be written at %1 Hz, %2 kbps</source>
        <translation>MP3 kann nicht mit %1 Hz, %2 kbps geschrieben werden</translation>
    </message>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>The MP3 encoder failed (%1)</source>
        <translation>Der MP3-Encoder ist fehlgeschlagen (%1)</translation>
    </message>
    <message>
        <source>Writing the MP3 file failed: %1</source>
        <translation>Das Schreiben der MP3-Datei ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Writing the MP3 info frame failed: %1</source>
        <translation>Das Schreiben des MP3-Info-Frames ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Closing the MP3 file failed: %1</source>
        <translation>Das Schließen der MP3-Datei ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Cannot start the MP3 encoder: </source>
        <translation>Der MP3-Encoder kann nicht gestartet werden: </translation>
    </message>
</context>
<context>
    <name>MpegAudioSource</name>
    <message>
        <source>No MPEG audio frames found</source>
        <translation>Keine MPEG-Audio-Frames gefunden</translation>
    </message>
    <message>
        <source>No decoder for MPEG audio layer %1</source>
        <translation>Kein Decoder für MPEG-Audio Layer %1</translation>
    </message>
    <message>
        <source>The MPEG audio data does not decode</source>
        <translation>Die MPEG-Audiodaten lassen sich nicht dekodieren</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>dual channel</source>
        <translation>Zweikanal</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stereo</translation>
    </message>
</context>
<context>
    <name>OutputNaming</name>
    <message>
        <source>Unable to create directory</source>
        <translation>Der Ordner kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot create </source>
        <translation>Kann nicht angelegt werden: </translation>
    </message>
</context>
<context>
    <name>PlaybackSession</name>
    <message>
        <source>%1 could not be played because the sound device could not be opened: %2</source>
        <translation>%1 konnte nicht abgespielt werden, weil das Audiogerät nicht geöffnet werden konnte: %2</translation>
    </message>
    <message>
        <source>%1 stopped playing early. %2</source>
        <translation>Die Wiedergabe von %1 endete vorzeitig. %2</translation>
    </message>
</context>
<context>
    <name>PosixFile</name>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>eine benannte Pipe (FIFO)</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>a character device</source>
        <translation>ein zeichenorientiertes Gerät</translation>
    </message>
    <message>
        <source>a block device</source>
        <translation>ein blockorientiertes Gerät</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>keine Datei</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>%1 is %2, not a regular file</source>
        <translation>%1 ist %2, keine reguläre Datei</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
</context>
<context>
    <name>PulseApplicationCapture</name>
    <message>
        <source>The connection to the sound server was lost.</source>
        <translation>Die Verbindung zum Soundserver ist verloren gegangen.</translation>
    </message>
</context>
<context>
    <name>PulseBackend</name>
    <message>
        <source>Connecting to the sound server...</source>
        <translation>Verbindung zum Soundserver wird hergestellt...</translation>
    </message>
    <message>
        <source>No sound server was found (PulseAudio or PipeWire).</source>
        <translation>Es wurde kein Soundserver gefunden (PulseAudio oder PipeWire).</translation>
    </message>
    <message>
        <source>The chosen input device is not available.</source>
        <translation>Das gewählte Eingabegerät ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>The chosen output device is not available.</source>
        <translation>Das gewählte Ausgabegerät ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>The chosen application is not playing.</source>
        <translation>Die gewählte Anwendung spielt nichts ab.</translation>
    </message>
</context>
<context>
    <name>PulseStreams</name>
    <message>
        <source>Could not open &quot;%1&quot;: %2</source>
        <translation>„%1“ konnte nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>No sound server is running.</source>
        <translation>Es läuft kein Soundserver.</translation>
    </message>
    <message>
        <source>Could not open &quot;%1&quot;: the sound server did not answer.</source>
        <translation>„%1“ konnte nicht geöffnet werden: Der Soundserver hat nicht geantwortet.</translation>
    </message>
    <message>
        <source>The connection to the sound server was lost.</source>
        <translation>Die Verbindung zum Soundserver ist abgebrochen.</translation>
    </message>
    <message>
        <source>The sound device &quot;%1&quot; is no longer available.</source>
        <translation>Das Audiogerät „%1“ ist nicht mehr verfügbar.</translation>
    </message>
</context>
<context>
    <name>ReadAhead</name>
    <message>
        <source>The file could not be read beyond %1 of %2; it may be damaged or cut short</source>
        <translation>Die Datei konnte nicht über %1 von %2 hinaus gelesen werden; sie ist vielleicht beschädigt oder abgeschnitten</translation>
    </message>
</context>
<context>
    <name>RecordingController</name>
    <message>
        <source>The end of the recording was lost because no file could be made for it: %1</source>
        <translation>Das Ende der Aufnahme ging verloren, weil keine Datei dafür angelegt werden konnte: %1</translation>
    </message>
</context>
<context>
    <name>RecordingSession</name>
    <message>
        <source>The recording could not be started because %1 could not be created: %2</source>
        <translation>Die Aufnahme konnte nicht gestartet werden, weil %1 nicht angelegt werden konnte: %2</translation>
    </message>
    <message>
        <source>The recording could not be started because the sound device could not be opened: %1</source>
        <translation>Die Aufnahme konnte nicht gestartet werden, weil das Audiogerät nicht geöffnet werden konnte: %1</translation>
    </message>
    <message>
        <source>The recording was stopped because the sound device could not be started again: %1

Everything recorded until then was kept in %2.</source>
        <translation>Die Aufnahme wurde beendet, weil das Audiogerät nicht wieder gestartet werden konnte: %1

Alles bis dahin Aufgenommene wurde in %2 behalten.</translation>
    </message>
    <message>
        <source>The recording was stopped because %1 was deleted or moved away while it was being recorded.</source>
        <translation>Die Aufnahme wurde beendet, weil %1 während der Aufnahme gelöscht oder verschoben wurde.</translation>
    </message>
    <message>
        <source>The recording was stopped because %1 could not be written: %2

Everything recorded before that was kept.</source>
        <translation>Die Aufnahme wurde beendet, weil %1 nicht geschrieben werden konnte: %2

Alles davor Aufgenommene wurde behalten.</translation>
    </message>
    <message>
        <source>The recording was stopped because the sound device stopped: %1

Everything recorded until then was kept in %2.</source>
        <translation>Die Aufnahme wurde beendet, weil das Audiogerät angehalten hat: %1

Alles bis dahin Aufgenommene wurde in %2 behalten.</translation>
    </message>
    <message>
        <source>The end of the recording was lost because %1 could not be created: %2</source>
        <translation>Das Ende der Aufnahme ging verloren, weil %1 nicht angelegt werden konnte: %2</translation>
    </message>
</context>
<context>
    <name>SourceFactory</name>
    <message>
        <source>The file is empty</source>
        <translation>Die Datei ist leer</translation>
    </message>
</context>
<context>
    <name>StreamedWav</name>
    <message>
        <source>Cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1 is larger than a WAV file&apos;s header can describe (4 GB); no tags were written</source>
        <translation>%1 ist größer, als der Kopf einer WAV-Datei beschreiben kann (4 GB); es wurden keine Tags geschrieben</translation>
    </message>
    <message>
        <source>Cannot write %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>%1 is a WAV file larger than 4 GB (RF64), into which tags can&apos;t be written; no tags were written</source>
        <translation>%1 ist eine WAV-Datei über 4 GB (RF64), in die keine Tags geschrieben werden können; es wurden keine Tags geschrieben</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Technology Support</source>
        <translation>Technischer Support</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>HomePage</source>
        <translation>Homepage</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>TAudioFile2</name>
    <message>
        <source>WAV can&apos;t be written at %1 Hz, %2 bit, %3 channels</source>
        <translation>WAV kann nicht mit %1 Hz, %2 Bit, %3 Kanälen geschrieben werden</translation>
    </message>
    <message>
        <source>MP3 can&apos;t be written at %1 Hz, %2 kbps</source>
        <translation>MP3 kann nicht mit %1 Hz, %2 kbps geschrieben werden</translation>
    </message>
    <message>
        <source>No file is open for writing</source>
        <translation>Keine Datei zum Schreiben geöffnet</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stereo</translation>
    </message>
    <message>
        <source>The file was deleted or moved away</source>
        <translation>Die Datei wurde gelöscht oder verschoben</translation>
    </message>
</context>
<context>
    <name>TAudioInformation2</name>
    <message>
        <source>File not found: %1</source>
        <translation>Datei nicht gefunden: %1</translation>
    </message>
    <message>
        <source>Cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Show in &amp;folder</source>
        <translation>Im &amp;Ordner anzeigen</translation>
    </message>
    <message>
        <source>Recording stopped: time limit reached</source>
        <translation>Aufnahme beendet: Zeitlimit erreicht</translation>
    </message>
    <message>
        <source>Recording stopped: %1</source>
        <translation>Aufnahme beendet: %1</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>The program ended during a recording last time. These files were repaired and keep what reached the disk:
%1</source>
        <translation>Das Programm wurde beim letzten Mal während einer Aufnahme beendet. Diese Dateien wurden repariert und behalten, was auf die Festplatte gelangt war:
%1</translation>
    </message>
    <message>
        <source>Auto stop recording is set to </source>
        <translation>Auto-Stopp der Aufnahme nach </translation>
    </message>
    <message>
        <source>No Auto stop. </source>
        <translation>Kein Auto-Stopp. </translation>
    </message>
    <message>
        <source>All audio files|*.wav;*.mp3;*.wma;*.ogg;*.mp2;*.mp1;*.mpeg;*.avi;*.g721;*.mp+;*.mpc;*.flac;*.opus;*.oga;*.m4a;*.aac;*.aif;*.aiff|Wav files (*.wav)|*.wav|MPEG files (*.mp3;*.mp2;*.mp1;*.mpeg)|*.mp3;*.mp2;*.mp1;*.mpeg|Ogg Vorbis files (*.ogg)|*.ogg|AVI files (*.avi)|*.avi|G721 files (*.g721)|*.g721|MPPlus files (*.mpc;*.mp+)|*.mpc;*.mp+|WMA files (*.wma)|*.wma|FLAC files (*.flac)|*.flac|Ogg Opus files (*.opus;*.oga)|*.opus;*.oga|AAC/M4A files (*.m4a;*.aac)|*.m4a;*.aac|AIFF files (*.aif;*.aiff)|*.aif;*.aiff|All files (*)|*</source>
        <translation>Alle Audiodateien|*.wav;*.mp3;*.wma;*.ogg;*.mp2;*.mp1;*.mpeg;*.avi;*.g721;*.mp+;*.mpc;*.flac;*.opus;*.oga;*.m4a;*.aac;*.aif;*.aiff|WAV-Dateien (*.wav)|*.wav|MPEG-Dateien (*.mp3;*.mp2;*.mp1;*.mpeg)|*.mp3;*.mp2;*.mp1;*.mpeg|Ogg-Vorbis-Dateien (*.ogg)|*.ogg|AVI-Dateien (*.avi)|*.avi|G721-Dateien (*.g721)|*.g721|MPPlus-Dateien (*.mpc;*.mp+)|*.mpc;*.mp+|WMA-Dateien (*.wma)|*.wma|FLAC-Dateien (*.flac)|*.flac|Ogg-Opus-Dateien (*.opus;*.oga)|*.opus;*.oga|AAC/M4A-Dateien (*.m4a;*.aac)|*.m4a;*.aac|AIFF-Dateien (*.aif;*.aiff)|*.aif;*.aiff|Alle Dateien (*)|*</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Invalid Year Value</source>
        <translation>Ungültige Jahresangabe</translation>
    </message>
    <message>
        <source>Invalid Track Value</source>
        <translation>Ungültige Titelnummer</translation>
    </message>
    <message>
        <source>A file name cannot contain &quot;/&quot;.</source>
        <translation>Ein Dateiname darf kein „/“ enthalten.</translation>
    </message>
    <message>
        <source>Cannot rename the file to &quot;%1&quot;: a file of that name exists or the name is not allowed.</source>
        <translation>Die Datei kann nicht in „%1“ umbenannt werden: Eine Datei dieses Namens existiert bereits oder der Name ist nicht erlaubt.</translation>
    </message>
    <message>
        <source>Delete &quot;%1&quot; from the hard disk?</source>
        <translation>„%1“ von der Festplatte löschen?</translation>
    </message>
    <message>
        <source>Cannot delete &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>Korvanta Sound Recorder</source>
        <translation>Korvanta Sound Recorder</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Record</source>
        <translation>&amp;Aufnehmen</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>Ab&amp;spielen</translation>
    </message>
    <message>
        <source>P&amp;ause</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>S&amp;topp</translation>
    </message>
    <message>
        <source>&amp;Recording Controls</source>
        <translation>&amp;Aufnahmeregler</translation>
    </message>
    <message>
        <source>Playback &amp;Volume Controls</source>
        <translation>&amp;Wiedergabelautstärke</translation>
    </message>
    <message>
        <source>File &amp;Info...</source>
        <translation>Datei&amp;info...</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Optionen...</translation>
    </message>
    <message>
        <source>&amp;Help Contents</source>
        <translation>&amp;Hilfethemen</translation>
    </message>
    <message>
        <source>Home&amp;page</source>
        <translation>Home&amp;page</translation>
    </message>
    <message>
        <source>&amp;Tip of the Day</source>
        <translation>&amp;Tipp des Tages</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Action</source>
        <translation>&amp;Aktion</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open a file</source>
        <translation>Eine Datei öffnen</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Auto Stop</source>
        <translation>Auto-Stopp</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Help Contents</source>
        <translation>Hilfethemen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Record Sound</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <source>Recording Controls</source>
        <translation>Aufnahmeregler</translation>
    </message>
    <message>
        <source>Playback Volume Controls</source>
        <translation>Wiedergabelautstärke</translation>
    </message>
    <message>
        <source>File Info</source>
        <translation>Dateiinfo</translation>
    </message>
    <message>
        <source>FFTArraySize</source>
        <translation>FFT-Größe</translation>
    </message>
    <message>
        <source>FFTWindowType</source>
        <translation>FFT-Fenster</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keines</translation>
    </message>
    <message>
        <source>Welch</source>
        <translation>Welch</translation>
    </message>
    <message>
        <source>Barlett</source>
        <translation>Barlett</translation>
    </message>
    <message>
        <source>Hanning</source>
        <translation>Hanning</translation>
    </message>
    <message>
        <source>Hamming</source>
        <translation>Hamming</translation>
    </message>
    <message>
        <source>VisType</source>
        <translation>Darstellung</translation>
    </message>
    <message>
        <source>vtFFTAnalog</source>
        <translation>vtFFTAnalog</translation>
    </message>
    <message>
        <source>vtFFTLinear</source>
        <translation>vtFFTLinear</translation>
    </message>
    <message>
        <source>vtFFTNormal</source>
        <translation>vtFFTNormal</translation>
    </message>
    <message>
        <source>vtFFTFire</source>
        <translation>vtFFTFire</translation>
    </message>
    <message>
        <source>vtFFTGlass</source>
        <translation>vtFFTGlass</translation>
    </message>
    <message>
        <source>vtFFTKryptonite</source>
        <translation>vtFFTKryptonite</translation>
    </message>
    <message>
        <source>Sound Visualization</source>
        <translation>Klanganzeige</translation>
    </message>
    <message>
        <source>Input Device</source>
        <translation>Eingabegerät</translation>
    </message>
    <message>
        <source>Set Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Output Device</source>
        <translation>Ausgabegerät</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Save Directory</source>
        <translation>Speicherordner</translation>
    </message>
    <message>
        <source>Recorded files</source>
        <translation>Aufgenommene Dateien</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>&amp;Umbenennen</translation>
    </message>
    <message>
        <source>Delete from &amp;list box</source>
        <translation>Aus der &amp;Liste entfernen</translation>
    </message>
    <message>
        <source>Delete from hard &amp;disk</source>
        <translation>Von der &amp;Festplatte löschen</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Artist:</source>
        <translation>Interpret:</translation>
    </message>
    <message>
        <source>Album:</source>
        <translation>Album:</translation>
    </message>
    <message>
        <source>Comment:</source>
        <translation>Kommentar:</translation>
    </message>
    <message>
        <source>Copyright:</source>
        <translation>Copyright:</translation>
    </message>
    <message>
        <source>Year:</source>
        <translation>Jahr:</translation>
    </message>
    <message>
        <source>Track:</source>
        <translation>Titelnr.:</translation>
    </message>
    <message>
        <source>Genre:</source>
        <translation>Genre:</translation>
    </message>
    <message>
        <source>Mpeg Tag Version</source>
        <translation>MPEG-Tag-Version</translation>
    </message>
    <message>
        <source>ID3v1</source>
        <translation>ID3v1</translation>
    </message>
    <message>
        <source>ID3v2</source>
        <translation>ID3v2</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Reset file info</source>
        <translation>Dateiinfo zurücksetzen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Apply file info</source>
        <translation>Dateiinfo übernehmen</translation>
    </message>
    <message>
        <source>Play/Record Control</source>
        <translation>Wiedergabe- und Aufnahmesteuerung</translation>
    </message>
    <message>
        <source>Left level</source>
        <translation>Pegel links</translation>
    </message>
    <message>
        <source>Right level</source>
        <translation>Pegel rechts</translation>
    </message>
    <message>
        <source>Time Elapsed</source>
        <translation>Verstrichene Zeit</translation>
    </message>
    <message>
        <source>Recording...</source>
        <translation>Aufnahme...</translation>
    </message>
    <message>
        <source>EQ...</source>
        <translation>EQ...</translation>
    </message>
    <message>
        <source>Adjust the equalizer bands</source>
        <translation>Die Bänder des Equalizers einstellen</translation>
    </message>
    <message>
        <source>Rewrite File?</source>
        <translation>Datei überschreiben?</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Playing...</source>
        <translation>Wiedergabe...</translation>
    </message>
    <message>
        <source>%1 stopped playing; recording silence.</source>
        <translation>%1 spielt nicht mehr ab; Stille wird aufgenommen.</translation>
    </message>
    <message>
        <source>%1 is playing again.</source>
        <translation>%1 spielt wieder ab.</translation>
    </message>
    <message>
        <source>Waiting for sound</source>
        <translation>Warten auf Ton</translation>
    </message>
    <message>
        <source>Recording %1</source>
        <translation>Aufnahme von %1</translation>
    </message>
    <message>
        <source>Waiting for sound to start a recording</source>
        <translation>Warten auf Ton, um eine Aufnahme zu starten</translation>
    </message>
    <message>
        <source>Listening</source>
        <translation>Mithören</translation>
    </message>
    <message>
        <source>%1 reached the WAV size limit of 4 GB; the recording goes on without a gap in %2.</source>
        <translation>%1 hat die Größengrenze von 4 GB für WAV-Dateien erreicht; die Aufnahme geht ohne Lücke in %2 weiter.</translation>
    </message>
</context>
<context>
    <name>TListeningPage</name>
    <message>
        <source>Before Record</source>
        <translation>Vor der Aufnahme</translation>
    </message>
    <message>
        <source>Keep the last</source>
        <translation>Die letzten</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>Show input level while stopped</source>
        <translation>Eingangspegel auch im Stillstand zeigen</translation>
    </message>
    <message>
        <source>seconds before Record</source>
        <translation>Sekunden vor dem Aufnehmen behalten</translation>
    </message>
    <message>
        <source>Voice Activation</source>
        <translation>Sprachsteuerung</translation>
    </message>
    <message>
        <source>Start recording when the level exceeds</source>
        <translation>Aufnahme starten, wenn der Pegel übersteigt:</translation>
    </message>
    <message>
        <source> dB</source>
        <translation> dB</translation>
    </message>
    <message>
        <source>Pause after</source>
        <translation>Pause nach</translation>
    </message>
    <message>
        <source>Seconds kept before Record</source>
        <translation>Vor dem Aufnehmen behaltene Sekunden</translation>
    </message>
    <message>
        <source>Start level in dB</source>
        <translation>Startpegel in dB</translation>
    </message>
    <message>
        <source>Seconds of silence before the pause</source>
        <translation>Sekunden Stille vor der Pause</translation>
    </message>
    <message>
        <source>With voice start, Record waits for sound and Stop ends the wait; pressing Record again starts at once.</source>
        <translation>Mit Sprachstart wartet Aufnehmen auf Ton, Stopp beendet das Warten; erneutes Drücken von Aufnehmen startet sofort.</translation>
    </message>
    <message>
        <source>seconds of silence</source>
        <translation>Sekunden Stille</translation>
    </message>
</context>
<context>
    <name>TNCTAmpBar2</name>
    <message>
        <source>Level</source>
        <translation>Pegel</translation>
    </message>
    <message>
        <source>%1 dB</source>
        <translation>%1 dB</translation>
    </message>
</context>
<context>
    <name>TNCTEqualizer2</name>
    <message>
        <source>%1 dB</source>
        <translation>%1 dB</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>%1 kHz</source>
        <translation>%1 kHz</translation>
    </message>
</context>
<context>
    <name>TNCTPlayButtonB2</name>
    <message>
        <source>Volume: %1 %</source>
        <translation>Lautstärke: %1 %</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Aufnehmen</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Transport</source>
        <translation>Transportsteuerung</translation>
    </message>
</context>
<context>
    <name>TNCTSliderB2</name>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
</context>
<context>
    <name>TRenameForm</name>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Input New Filename:</source>
        <translation>Neuer Dateiname:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>new name can not be blank!</source>
        <translation>Der neue Name darf nicht leer sein!</translation>
    </message>
</context>
<context>
    <name>TSettingForm</name>
    <message>
        <source>Select a directory to save output files</source>
        <translation>Ordner zum Speichern der Aufnahmen wählen</translation>
    </message>
    <message>
        <source>Please select a directory to save output files.</source>
        <translation>Bitte einen Ordner zum Speichern der Aufnahmen wählen.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>„%1“ ist keine gültige ganze Zahl</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Save Path</source>
        <translation>Speicherort</translation>
    </message>
    <message>
        <source>select save directory</source>
        <translation>Speicherordner wählen</translation>
    </message>
    <message>
        <source>Record Format</source>
        <translation>Aufnahmeformat</translation>
    </message>
    <message>
        <source>Auto Split</source>
        <translation>Automatisch teilen</translation>
    </message>
    <message>
        <source>Split Every</source>
        <translation>Teilen alle</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <source>Listening</source>
        <translation>Mithören</translation>
    </message>
    <message>
        <source>Ogg Opus</source>
        <translation>Ogg Opus</translation>
    </message>
    <message>
        <source>Ogg Vorbis</source>
        <translation>Ogg Vorbis</translation>
    </message>
</context>
<context>
    <name>TTimeLimitForm</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Auto Stop Settings</source>
        <translation>Einstellungen für Auto-Stopp</translation>
    </message>
</context>
<context>
    <name>TTimeLimitGroup</name>
    <message>
        <source>Auto stop recording is set to </source>
        <translation>Auto-Stopp der Aufnahme nach </translation>
    </message>
    <message>
        <source>Time Limit</source>
        <translation>Zeitlimit</translation>
    </message>
    <message>
        <source>No Limit</source>
        <translation>Kein Limit</translation>
    </message>
    <message>
        <source>Stop recording after </source>
        <translation>Aufnahme beenden nach </translation>
    </message>
    <message>
        <source>hours</source>
        <translation>Stunden</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Please input correct integer number!</source>
        <translation>Bitte eine gültige ganze Zahl eingeben!</translation>
    </message>
    <message>
        <source>No Auto stop.</source>
        <translation>Kein Auto-Stopp.</translation>
    </message>
    <message>
        <source>No Auto Stop</source>
        <translation>Kein Auto-Stopp</translation>
    </message>
</context>
<context>
    <name>TTipForm</name>
    <message>
        <source>Tip of the Day</source>
        <translation>Tipp des Tages</translation>
    </message>
    <message>
        <source>Did you know...</source>
        <translation>Wussten Sie schon...</translation>
    </message>
    <message>
        <source>Show Tips on Startup</source>
        <translation>Tipps beim Start anzeigen</translation>
    </message>
    <message>
        <source>Next Tip</source>
        <translation>Nächster Tipp</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>TUpDown</name>
    <message>
        <source>Up</source>
        <translation>Höher</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Niedriger</translation>
    </message>
</context>
<context>
    <name>TVolumeTrackBar</name>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>%1 % of full volume</source>
        <translation>%1 % der vollen Lautstärke</translation>
    </message>
</context>
<context>
    <name>TagAccess</name>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Track: not stored (ID3v1 holds numbers up to 255)</source>
        <translation>Titelnr.: nicht gespeichert (ID3v1 fasst Nummern bis 255)</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Copyright: not stored (ID3v1 has no such field)</source>
        <translation>Copyright: nicht gespeichert (ID3v1 hat kein solches Feld)</translation>
    </message>
    <message>
        <source>The ID3v1 tag can&apos;t hold all of the text. It now holds:
</source>
        <translation>Der ID3v1-Tag fasst nicht den ganzen Text. Er enthält jetzt:
</translation>
    </message>
    <message>
        <source>
The file&apos;s ID3v2 tag keeps the full text.</source>
        <translation>
Der ID3v2-Tag der Datei behält den vollständigen Text.</translation>
    </message>
    <message>
        <source>
Choose ID3v2 to keep the full text.</source>
        <translation>
Wählen Sie ID3v2, um den vollständigen Text zu behalten.</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Copyright</translation>
    </message>
    <message>
        <source>%1 is too long for a WMA file: %2 characters, at most %3 fit.</source>
        <translation>%1 ist zu lang für eine WMA-Datei: %2 Zeichen, höchstens %3 passen hinein.</translation>
    </message>
    <message>
        <source>Cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>File not found: %1</source>
        <translation>Datei nicht gefunden: %1</translation>
    </message>
    <message>
        <source>The file is read-only: %1</source>
        <translation>Die Datei ist schreibgeschützt: %1</translation>
    </message>
    <message>
        <source>This kind of file can&apos;t hold tags: %1</source>
        <translation>Diese Art Datei kann keine Tags enthalten: %1</translation>
    </message>
    <message>
        <source>The tags could not be written to %1</source>
        <translation>Die Tags konnten nicht in %1 geschrieben werden</translation>
    </message>
</context>
<context>
    <name>TagModule</name>
    <message>
        <source>Cannot load the tag library: </source>
        <translation>Die Tag-Bibliothek kann nicht geladen werden: </translation>
    </message>
    <message>
        <source>%1 belongs to another version of the program</source>
        <translation>%1 gehört zu einer anderen Version des Programms</translation>
    </message>
    <message>
        <source>%1 was not found next to the program</source>
        <translation>%1 wurde neben dem Programm nicht gefunden</translation>
    </message>
</context>
<context>
    <name>TfrmAdv</name>
    <message>
        <source>These settings can be used to make fine adjustments to your audio.</source>
        <translation>Mit diesen Einstellungen lässt sich der Klang fein abstimmen.</translation>
    </message>
    <message>
        <source>Other Controls</source>
        <translation>Weitere Regler</translation>
    </message>
    <message>
        <source>These settings make other changes to how your audio sounds. See your hardware documentation for details.</source>
        <translation>Diese Einstellungen verändern den Klang auf andere Weise. Einzelheiten stehen in der Dokumentation Ihrer Hardware.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Advanced Properties for </source>
        <translation>Erweiterte Eigenschaften für </translation>
    </message>
</context>
<context>
    <name>TfrmEQ</name>
    <message>
        <source>Equalizer</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>TfrmRecFlt</name>
    <message>
        <source>Recording Filters</source>
        <translation>Aufnahmefilter</translation>
    </message>
    <message>
        <source>Notch Filter</source>
        <translation>Kerbfilter</translation>
    </message>
    <message>
        <source>HighPass Filter</source>
        <translation>Hochpassfilter</translation>
    </message>
    <message>
        <source>LowPass Filter</source>
        <translation>Tiefpassfilter</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>%1 frequency</source>
        <translation>%1: Frequenz</translation>
    </message>
    <message>
        <source>%1 frequency in Hz</source>
        <translation>%1: Frequenz in Hz</translation>
    </message>
</context>
<context>
    <name>TimeLeft</name>
    <message>
        <source>&lt; 1 min left</source>
        <translation>&lt; 1 min übrig</translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <translation>etwa %1 h %2 min übrig</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>%1 h %2 min übrig</translation>
    </message>
    <message>
        <source>about %1 min left</source>
        <translation>etwa %1 min übrig</translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation>%1 min übrig</translation>
    </message>
</context>
<context>
    <name>TsrcFrame</name>
    <message>
        <source>%1 volume</source>
        <translation>%1: Lautstärke</translation>
    </message>
    <message>
        <source>%1 balance</source>
        <translation>%1: Balance</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Balance</source>
        <translation>Balance</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>Erweitert</translation>
    </message>
</context>
<context>
    <name>VirtualBackend</name>
    <message>
        <source>No such input device: %1</source>
        <translation>Kein solches Eingabegerät: %1</translation>
    </message>
    <message>
        <source>The chosen input device is not available.</source>
        <translation>Das gewählte Eingabegerät ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>No such output device: %1</source>
        <translation>Kein solches Ausgabegerät: %1</translation>
    </message>
    <message>
        <source>The chosen output device is not available.</source>
        <translation>Das gewählte Ausgabegerät ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>The chosen application is not playing.</source>
        <translation>Die gewählte Anwendung spielt nichts ab.</translation>
    </message>
</context>
<context>
    <name>WavWriter</name>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stereo</translation>
    </message>
    <message>
        <source>The WAV file has reached its size limit of 4 GB</source>
        <translation>Die WAV-Datei hat ihre Größengrenze von 4 GB erreicht</translation>
    </message>
    <message>
        <source>Writing the WAV file failed: %1</source>
        <translation>Das Schreiben der WAV-Datei ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Writing the WAV header failed: %1</source>
        <translation>Das Schreiben des WAV-Kopfes ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Closing the WAV file failed: %1</source>
        <translation>Das Schließen der WAV-Datei ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>WmaProfiles</name>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stereo</translation>
    </message>
    <message>
        <source>%1 Hz, %2 kbps, %3</source>
        <translation>%1 Hz, %2 kbps, %3</translation>
    </message>
</context>
<context>
    <name>WmaWriter</name>
    <message>
        <source>The ASF writer is not available</source>
        <translation>Der ASF-Writer ist nicht verfügbar</translation>
    </message>
    <message>
        <source>The WMA encoder is not available</source>
        <translation>Der WMA-Encoder ist nicht verfügbar</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Speicher</translation>
    </message>
    <message>
        <source>WMA can&apos;t be written as %1 (%2)</source>
        <translation>WMA kann nicht als %1 geschrieben werden (%2)</translation>
    </message>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>The WMA encoder failed: %1</source>
        <translation>Der WMA-Encoder ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Writing the WMA file</source>
        <translation>Das Schreiben der WMA-Datei</translation>
    </message>
    <message>
        <source>Completing the WMA file</source>
        <translation>Das Abschließen der WMA-Datei</translation>
    </message>
    <message>
        <source>Closing the WMA file</source>
        <translation>Das Schließen der WMA-Datei</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Im Ordner anzeigen</translation>
    </message>
</context>
</TS>
