// MP3 encoder settings handed to a file component with TAudioFile2::SetFormatMP3Ex.
#pragma once

class TAudioFile2LameEnc {
public:
    int Frequency() const { return frequency_; }
    void setFrequency(int hz) { frequency_ = hz; }
    int Bitrate() const { return bitrate_; }  // kbps
    void setBitrate(int kbps) { bitrate_ = kbps; }

private:
    int frequency_ = 44100;
    int bitrate_ = 128;
};
