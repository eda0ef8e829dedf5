// Ogg files made of whole Ogg files joined end to end ("chained": stream dumps, `cat a.ogg
// b.ogg`). Each link is a stream of its own and may have another rate or channel count; the
// links play one after the other at the first link's rate and channels, and the length is
// that of them all.
#pragma once

#include "audio/codec/audio_source.h"
#include "audio/codec/posix_file.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace korvanta::codec {

struct OggLink {
    int64_t start = 0;  // byte offsets in the file
    int64_t end = 0;
};

// The links of an Ogg file in order: one for a plain Ogg file, none for what doesn't start
// as Ogg. Where the pages can't be followed (damage), the rest of the file counts as part of
// the link before.
std::vector<OggLink> findOggLinks(FileReader &file);

// Opens a file of several links. Links that don't open are left out; null, with the reason,
// when the first doesn't.
std::unique_ptr<AudioSource> openChainedOgg(const QString &path, const std::vector<OggLink> &links,
                                            int *errorNum, QString *errorText);

}  // namespace korvanta::codec
