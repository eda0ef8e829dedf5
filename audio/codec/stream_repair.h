// Making a FLAC, Ogg (Opus or Vorbis) or MP3 file whose writing stopped early (a full disk, a
// crash, a kill) into a valid file of what reached the disk. Each repair keeps the whole
// frames or pages from the start up to the first damaged or missing one, cuts the file there
// and fills in the header in place, so it needs no free space:
// - FLAC: the frames whose checksums hold; STREAMINFO gets their total sample count. Its MD5
//   is cleared when the count changes, as the samples it was made of are no longer all there
//   (decoders take a zero MD5 as "not known").
// - Ogg: the pages whose checksums hold; a packet left unfinished by the last page is taken
//   off it, and that page is marked as the end of the stream. Its granule position stays the
//   one of the last packet that ends on it, which is exact.
// - MP3: the whole frames; an empty first frame (the encoder's room for its info frame)
//   gets an Info tag with the frame and byte counts, an existing Xing/Info tag the new ones.
#pragma once

#include <QString>

#include <cstdint>

namespace korvanta::codec {

enum class StreamRepair {
    NotThisFormat,  // not a file of this format, or unreadable: left alone
    Intact,         // the file was complete
    Repaired,       // cut and/or header rewritten
    Failed,         // needs repair, but could not be written
};

struct StreamRepairResult {
    StreamRepair outcome = StreamRepair::NotThisFormat;
    int64_t bytesKept = 0;
    int64_t bytesDropped = 0;
    // Sample frames the file holds after the repair, where the format tells (FLAC, MP3);
    // -1 where it doesn't.
    int64_t framesKept = -1;
};

StreamRepairResult repairFlacFile(const QString &path);
StreamRepairResult repairOggFile(const QString &path);
StreamRepairResult repairMp3File(const QString &path);

// Picks the repair by the file's first bytes (WAV and ASF excepted: those have their own).
StreamRepairResult repairStreamFile(const QString &path);

}  // namespace korvanta::codec
