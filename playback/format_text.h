// Texts for the status bar: the short format description and a path fitted to a width.
#pragma once

#include <QString>

class QFontMetrics;

// "MPEG 1.0 layer-3: 44100 Hz" becomes "MP3  44100 Hz": the first MPEG 1.0/2.0 "layer-"
// wording is shortened (only when the text says "MPEG") and the first ":" becomes a blank.
QString FormatMP3Str(const QString &LongStr);

// `path` shortened to `width` pixels by replacing leading folders with "...", keeping the
// file name whole.
QString ShortenPath(const QString &path, const QFontMetrics &metrics, int width);
