// The WMA encoding profiles the program offers: rate, channels and bitrate for Windows Media
// Audio 2 in ASF.
//
// Numbering: a profile number as stored in the settings and passed to SetFormatWMA for
// encoding counts from 0. The Options dialog lists profiles by asking for the texts of
// numbers 1 to count and stores the row (from 0) it shows them in; so the listing text asked
// for with number n describes profile n - 1, which makes the row a user picks and the profile
// recorded with the same. Stored number 38 has always meant stereo 44100 Hz at 128 kbps.
#pragma once

#include <QString>

namespace korvanta::codec {

struct WmaProfile {
    int sampleRate;
    int channels;
    int bitrateKbps;
};

constexpr int kDefaultWmaProfile = 38;

int wmaProfileCount();
// The profile used for encoding with stored number `number`; numbers outside the table
// (no row was selected, a hand-edited setting) fall back to the default profile.
const WmaProfile &wmaProfileForEncoding(int number);
// "44100 Hz, 128 kbps, stereo".
QString wmaProfileText(const WmaProfile &profile);
// The listing text for list number `number` (1 to count): four leading characters, which
// the list drops, followed by the text of profile number - 1.
QString wmaListingText(int number);

}  // namespace korvanta::codec
