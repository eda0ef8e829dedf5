#include "audio/codec/mpg123_decoder.h"

#include "audio/codec/mpg123_api.h"

#include <algorithm>

namespace korvanta::codec {

namespace {

// Room for one decoded frame: 1152 samples of two channels is the most a frame holds.
constexpr size_t kFrameSamples = 1152 * 2;
constexpr size_t kHeaderBytes = 4;

struct HandleDeleter {
    void operator()(mpg123_handle *handle) const { mpg123_delete(handle); }
};

class Mpg123Decoder : public MpegFrameDecoder {
public:
    explicit Mpg123Decoder(const MpegFrameHeader &stream) : stream_(stream) {}

    bool open() {
        int error = MPG123_OK;
        handle_.reset(mpg123_new(nullptr, &error));
        if (!handle_) {
            return false;
        }
        // Every frame as it is, at its own rate, in the stream's channel count: the source
        // trims encoder delay and padding itself, and a stream that switches between mono
        // and stereo frames still gives one layout.
        const long forced = stream_.channels() == 2 ? MPG123_FORCE_STEREO : MPG123_MONO_MIX;
        if (mpg123_param2(handle_.get(), MPG123_REMOVE_FLAGS, MPG123_GAPLESS | MPG123_AUTO_RESAMPLE,
                          0.0) != MPG123_OK ||
            mpg123_param2(handle_.get(), MPG123_ADD_FLAGS,
                          MPG123_QUIET | MPG123_IGNORE_INFOFRAME | forced, 0.0) != MPG123_OK ||
            mpg123_format_none(handle_.get()) != MPG123_OK ||
            mpg123_format(handle_.get(), stream_.sampleRate,
                          stream_.channels() == 2 ? MPG123_STEREO : MPG123_MONO,
                          MPG123_ENC_SIGNED_16) != MPG123_OK) {
            return false;
        }
        return restart();
    }

    bool decode(const uint8_t *frame, size_t bytes, const uint8_t *nextHeader,
                std::vector<int16_t> &out) override {
        if (!ready_ && !restart()) {
            return false;
        }
        // The header handed on with the previous frame is part of the stream already.
        const size_t skip = std::min(headerFed_, bytes);
        headerFed_ = 0;
        if (!feed(frame + skip, bytes - skip)) {
            return fail();
        }
        if (!confirmed_) {
            // Until its next header is seen, the first frame gives nothing.
            if (!feed(nextHeader, kHeaderBytes)) {
                return fail();
            }
            headerFed_ = kHeaderBytes;
            confirmed_ = true;
        }
        const size_t start = out.size();
        constexpr size_t capacity = kFrameSamples * sizeof(int16_t);
        out.resize(start + kFrameSamples);
        auto *to = reinterpret_cast<uint8_t *>(out.data() + start);
        size_t filled = 0;
        int rc = MPG123_OK;
        do {
            size_t done = 0;
            rc = mpg123_decode(handle_.get(), nullptr, 0, to + filled, capacity - filled, &done);
            filled += done;
            // The first frame announces the output format before it gives samples.
        } while (rc == MPG123_NEW_FORMAT || (rc == MPG123_OK && filled < capacity));
        out.resize(start + filled / sizeof(int16_t));
        return rc == MPG123_OK || rc == MPG123_NEED_MORE ? true : fail();
    }

    void reset() override { ready_ = restart(); }

private:
    bool restart() {
        mpg123_close(handle_.get());
        ready_ = mpg123_open_feed(handle_.get()) == MPG123_OK;
        confirmed_ = false;
        headerFed_ = 0;
        return ready_;
    }

    bool feed(const uint8_t *bytes, size_t count) {
        return count == 0 || mpg123_feed(handle_.get(), bytes, count) == MPG123_OK;
    }

    // The handle may be in any state after an error: it starts afresh with the next frame.
    bool fail() {
        ready_ = false;
        return false;
    }

    MpegFrameHeader stream_;
    std::unique_ptr<mpg123_handle, HandleDeleter> handle_;
    bool ready_ = false;
    bool confirmed_ = false;  // the first frame since the last restart was given
    size_t headerFed_ = 0;    // bytes of the next frame given with the previous one
};

}  // namespace

std::unique_ptr<MpegFrameDecoder> makeMpg123Decoder(const MpegFrameHeader &stream) {
    if (loadMpg123Api(nullptr) == nullptr) {
        return nullptr;
    }
    // Once per process, before the first handle (a no-op in newer versions of the library).
    static const bool initialised = mpg123_init() == MPG123_OK;
    if (!initialised) {
        return nullptr;
    }
    auto decoder = std::make_unique<Mpg123Decoder>(stream);
    if (!decoder->open()) {
        return nullptr;
    }
    return decoder;
}

}  // namespace korvanta::codec
