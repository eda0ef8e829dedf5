// A WAV written to a pipe (`ffmpeg ... -f wav - | cat > x.wav`) can't go back to fill in its
// sizes: the RIFF and data headers say 0xFFFFFFFF. Players read such a data chunk to the end
// of the file, but a tag writer believes the sizes and would leave the sound outside the RIFF
// chunk it rewrites. Before tags go in, the sizes are set to describe the file as it is.
#pragma once

#include <QString>

namespace korvanta::codec {

// Sets a data chunk that runs past the end of the file to end with it, and a RIFF size that
// does to the file's size. True when the sizes now describe the file (or needed nothing);
// false, with the reason in `errorText`, when the file can't be read or written or is too
// large for a WAV's 32-bit sizes (an RF64 file among them: it is never changed).
bool fixStreamedWavSizes(const QString &path, QString *errorText);

}  // namespace korvanta::codec
