// The file component: reads every supported audio file as 16-bit PCM blocks and writes
// WAV, MP3, WMA, FLAC, Ogg Opus or Ogg Vorbis files from them. Positions and lengths are sample
// frames.
//
// Reading: OpenFile(name, 0, 1) detects the format from the content; ReadFile(n) returns the
// next n frames (shorter or empty at the end); SeekFile(pos, 3) is sample-accurate.
// Writing: choose a format with SetFormatPCM / SetFormatMP3 / SetFormatWMA / SetFormatFLAC /
// SetFormatOpus / SetFormatVorbis (SetFormatMP3Ex afterwards only updates the MP3
// parameters), then CreateFile, WriteFile..., CloseFile. An object holds no state shared with
// others, so each may be driven from its own thread.
// Failures set LastErrorNum (0 = fine) and LastErrorText; nothing throws.
#pragma once

#include "audio/sample_array.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class TAudioFile2LameEnc;
namespace korvanta::codec {
struct EncodedFormat;
}

class TAudioFile2 {
public:
    TAudioFile2();
    ~TAudioFile2();
    TAudioFile2(const TAudioFile2 &) = delete;
    TAudioFile2 &operator=(const TAudioFile2 &) = delete;

    bool WmaFormatEnabled() const;
    void setWmaFormatEnabled(bool enabled);

    void SetFormatPCM(int Frequency, int nChannels, int BitsPerSample);
    void SetFormatMP3(int Frequency, int Bitrate, int nChannels);
    void SetFormatWMA(int Profile);
    void SetFormatMP3Ex(const TAudioFile2LameEnc &LameFormat);
    // FLAC, 16 bit, compression level 5.
    void SetFormatFLAC(int Frequency, int nChannels);
    // Ogg Opus; it always codes at 48000 Hz, which ArrayFrequency then reports.
    void SetFormatOpus(int Bitrate, int nChannels);
    // Ogg Vorbis at quality 0 to 10.
    void SetFormatVorbis(int Quality, int Frequency, int nChannels);

    // With background writing on, files created from then on are encoded and written on a
    // thread of their own: WriteFile only queues the block, a failure shows in LastErrorNum at
    // a later WriteFile (or once the queue is drained), and CloseFile waits for the queue.
    // WriteFile never waits: frames that find the queue full (the writer fell seconds
    // behind) are dropped and listed by DroppedRuns. Works the same for every output format.
    bool BackgroundWriting() const;
    void setBackgroundWriting(bool on);

    void CreateFile(const QString &fileName, int FormatType);
    void OpenFile(const QString &fileName, int FormatType, int FlagOpen);
    void CloseFile();

    void WriteFile(const SampleArray &PCMArray);
    SampleArray ReadFile(int nSamples);
    int SeekFile(int nSamples, int Origin);

    // Waits until every block handed to WriteFile is in the file (or refused); LastErrorNum
    // then covers them all. Returns at once without background writing.
    void FlushWrites();

    // Length in frames: of the open file, of what was written so far (queued included), or 0.
    // Never waits for the background writer.
    int nSamples() const;
    // Runs of frames WriteFile had to drop since CreateFile because the background writer
    // was too far behind: `at` is the file's length where they were to go.
    struct DroppedRun {
        int64_t at = 0;
        int64_t frames = 0;
    };
    std::vector<DroppedRun> DroppedRuns() const;
    // The most frames the file being written can hold in all (a WAV's sizes are 32-bit), or
    // INT64_MAX where the format sets no such limit; 0 when no file is being written.
    int64_t FrameCapacity() const;
    // WAV files created from here on grow to at most `bytes` bytes (never past 4 GB); lets
    // the tests reach the limit in a moment.
    void setWavSizeLimit(int64_t bytes);
    int ArrayFrequency() const;
    int ArrayChannels() const;
    QString FormatString() const;
    // With WMA enabled on a fresh object: the number of WMA profiles.
    int FormatTag() const;
    int LastErrorNum() const;
    QString LastErrorText() const;

private:
    void setEncodedFormat(const korvanta::codec::EncodedFormat &format);

    struct Impl;
    std::unique_ptr<Impl> d;
};
