#include "audio/codec/wma_profiles.h"

#include <array>

#include <QCoreApplication>

namespace korvanta::codec {

namespace {

// Mono before stereo; within each, by rate and then bitrate. 24 kbps is the encoder's floor.
constexpr std::array<WmaProfile, 45> kProfiles = {{
    {8000, 1, 24},   {11025, 1, 24}, {11025, 1, 32},  {16000, 1, 24},  {16000, 1, 32},
    {16000, 1, 40},  {22050, 1, 32}, {22050, 1, 40},  {22050, 1, 48},  {32000, 1, 40},
    {32000, 1, 48},  {32000, 1, 64}, {44100, 1, 48},  {44100, 1, 64},  {44100, 1, 80},
    {44100, 1, 96},  {48000, 1, 64}, {48000, 1, 96},  {8000, 2, 24},   {11025, 2, 32},
    {11025, 2, 40},  {16000, 2, 32}, {16000, 2, 40},  {16000, 2, 48},  {22050, 2, 40},
    {22050, 2, 48},  {22050, 2, 64}, {22050, 2, 80},  {32000, 2, 48},  {32000, 2, 64},
    {32000, 2, 80},  {32000, 2, 96}, {44100, 2, 32},  {44100, 2, 48},  {44100, 2, 64},
    {44100, 2, 80},  {44100, 2, 96}, {44100, 2, 112}, {44100, 2, 128}, {44100, 2, 160},
    {44100, 2, 192}, {48000, 2, 96}, {48000, 2, 128}, {48000, 2, 160}, {48000, 2, 192},
}};

static_assert(kProfiles[kDefaultWmaProfile].sampleRate == 44100 &&
                  kProfiles[kDefaultWmaProfile].channels == 2 &&
                  kProfiles[kDefaultWmaProfile].bitrateKbps == 128,
              "stored profile 38 must stay stereo 44100 Hz, 128 kbps");

}  // namespace

int wmaProfileCount() {
    return static_cast<int>(kProfiles.size());
}

const WmaProfile &wmaProfileForEncoding(int number) {
    if (number < 0 || number >= wmaProfileCount()) {
        number = kDefaultWmaProfile;
    }
    return kProfiles[static_cast<size_t>(number)];
}

QString wmaProfileText(const WmaProfile &profile) {
    return QCoreApplication::translate("WmaProfiles", "%1 Hz, %2 kbps, %3")
        .arg(profile.sampleRate)
        .arg(profile.bitrateKbps)
        .arg(profile.channels == 1 ? QCoreApplication::translate("WmaProfiles", "mono")
                                   : QCoreApplication::translate("WmaProfiles", "stereo"));
}

QString wmaListingText(int number) {
    return QStringLiteral("WMA ") + wmaProfileText(wmaProfileForEncoding(number - 1));
}

}  // namespace korvanta::codec
