// The ID3v1 genre numbers 0 to 146 and their names, which the tag editor's genre list shows.
#pragma once

#include <QString>

namespace korvanta::codec {

constexpr int kGenreCount = 147;

// The name of genre `number`; empty outside 0..146.
QString genreName(int number);
// The number of a genre name (letter case ignored), or -1 when it isn't one of the 147.
int genreNumber(const QString &name);

}  // namespace korvanta::codec
