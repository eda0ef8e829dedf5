#include "audio/codec/chained_ogg_source.h"

#include "audio/codec/codec_error.h"
#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/ffmpeg_source.h"

#include <QCoreApplication>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>

namespace korvanta::codec {

namespace {

constexpr int kPageHeaderBytes = 27;
constexpr uint8_t kBeginOfStream = 0x02;
// How far from the end the last page header is looked for (a page is at most 65307 bytes).
constexpr int64_t kLastPageSearchBytes = 70000;
// Frames read from a link at a time.
constexpr int kLinkBlockFrames = 4096;
// Decoded and dropped before a seek target in a link whose rate is converted, so that the
// converter's filter has the same history there as when reading straight on.
constexpr int kResamplerPrerollMilliseconds = 100;

uint32_t readLe32(const uint8_t *p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

struct OggPage {
    bool beginOfStream = false;
    uint32_t serial = 0;
    int64_t size = 0;  // header and body
};

std::optional<OggPage> readPage(FileReader &file, int64_t at) {
    uint8_t head[kPageHeaderBytes + 255];
    if (file.readAt(at, head, kPageHeaderBytes) != kPageHeaderBytes ||
        std::memcmp(head, "OggS", 4) != 0 || head[4] != 0) {
        return std::nullopt;
    }
    const int segments = head[26];
    if (file.readAt(at + kPageHeaderBytes, head + kPageHeaderBytes, segments) !=
        static_cast<size_t>(segments)) {
        return std::nullopt;
    }
    OggPage page;
    page.beginOfStream = (head[5] & kBeginOfStream) != 0;
    page.serial = readLe32(head + 14);
    page.size = kPageHeaderBytes + segments;
    for (int i = 0; i < segments; ++i) {
        page.size += head[kPageHeaderBytes + i];
    }
    return page;
}

// The serial number of the page that ends the file, if one does.
std::optional<uint32_t> lastPageSerial(FileReader &file) {
    const int64_t from = std::max<int64_t>(0, file.size() - kLastPageSearchBytes);
    std::vector<uint8_t> tail(static_cast<size_t>(file.size() - from));
    tail.resize(file.readAt(from, tail.data(), tail.size()));
    for (int64_t i = static_cast<int64_t>(tail.size()) - kPageHeaderBytes; i >= 0; --i) {
        if (std::memcmp(tail.data() + i, "OggS", 4) != 0) {
            continue;
        }
        const std::optional<OggPage> page = readPage(file, from + i);
        if (page && from + i + page->size == file.size()) {
            return page->serial;
        }
    }
    return std::nullopt;
}

// Whether the file ends in a stream its first link began: then it has one link, and the
// pages in between needn't be read.
bool endsInFirstLink(FileReader &file) {
    std::vector<uint32_t> serials;
    int64_t at = 0;
    while (const std::optional<OggPage> page = readPage(file, at)) {
        if (!page->beginOfStream) {
            break;
        }
        serials.push_back(page->serial);
        at += page->size;
    }
    const std::optional<uint32_t> last = lastPageSerial(file);
    return last && std::find(serials.begin(), serials.end(), *last) != serials.end();
}

// Interleaved 16-bit frames from one rate to another, through libswresample.
class RateConverter {
public:
    RateConverter(int channels, int fromRate, int toRate) : channels_(channels) {
        AVChannelLayout layout{};
        av_channel_layout_default(&layout, channels);
        SwrContext *raw = nullptr;
        if (swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_S16, toRate, &layout,
                                AV_SAMPLE_FMT_S16, fromRate, 0, nullptr) >= 0 &&
            swr_init(raw) >= 0) {
            swr_.reset(raw);
        } else {
            swr_free(&raw);
        }
        av_channel_layout_uninit(&layout);
    }

    bool valid() const { return swr_ != nullptr; }

    // Appends what `frames` frames of `in` give; with none, what the converter still holds.
    void convert(const int16_t *in, int frames, std::vector<int16_t> &out) {
        const int room = swr_get_out_samples(swr_.get(), frames);
        if (room <= 0) {
            return;
        }
        const size_t old = out.size();
        out.resize(old + static_cast<size_t>(room) * channels_);
        auto *dst = reinterpret_cast<uint8_t *>(out.data() + old);
        const auto *src = reinterpret_cast<const uint8_t *>(in);
        const int got = swr_convert(swr_.get(), &dst, room, frames > 0 ? &src : nullptr, frames);
        out.resize(old + static_cast<size_t>(std::max(got, 0)) * channels_);
    }

private:
    int channels_;
    SwrPtr swr_;
};

// One or two channels to the other count: mono on both sides at its own level, stereo
// as the mean of the two.
std::vector<int16_t> toChannels(std::vector<int16_t> in, int from, int to) {
    if (from == to) {
        return in;
    }
    std::vector<int16_t> out;
    if (from == 1 && to == 2) {
        out.reserve(in.size() * 2);
        for (const int16_t v : in) {
            out.push_back(v);
            out.push_back(v);
        }
    } else {
        out.reserve(in.size() / 2);
        for (size_t i = 0; i + 1 < in.size(); i += 2) {
            out.push_back(static_cast<int16_t>((int{in[i]} + in[i + 1]) / 2));
        }
    }
    return out;
}

class ChainedOggSource : public AudioSource {
public:
    struct Link {
        OggLink bytes;
        int rate = 0;
        int channels = 0;
        int64_t start = 0;   // on the chain's timeline, in its frames
        int64_t length = 0;  // in the chain's frames
    };

    ChainedOggSource(const QString &path, std::vector<Link> links,
                     std::unique_ptr<AudioSource> first)
        : path_(path), links_(std::move(links)), open_(std::move(first)) {
        const Link &back = links_.back();
        setStreamInfo(links_.front().rate, links_.front().channels, back.start + back.length,
                      open_->formatText());
        setContainerName(open_->containerName());
        setStopAtLength(true);
    }

protected:
    bool decodeNext(Block &block) override;
    bool seekBefore(int64_t target) override;
    bool rewind() override { return startLink(0, 0); }

private:
    bool startLink(size_t index, int64_t linkPosition);
    bool converted(const Link &link) const { return link.rate != sampleRate(); }
    // Converts what the link gave to the chain's channels and rate.
    std::vector<int16_t> toChain(std::vector<int16_t> raw, int frames);

    QString path_;
    std::vector<Link> links_;
    std::unique_ptr<AudioSource> open_;  // the current link's reader
    size_t openIndex_ = 0;               // which link open_ reads
    size_t current_ = 0;
    int64_t next_ = 0;  // chain position of the next frame decodeNext delivers
    std::unique_ptr<RateConverter> rate_;
    bool finished_ = false;
};

bool ChainedOggSource::startLink(size_t index, int64_t linkPosition) {
    current_ = index;
    finished_ = index >= links_.size();
    if (finished_) {
        return true;
    }
    Link &link = links_[index];
    if (!open_ || openIndex_ != index) {
        open_.reset();
        int errorNum = 0;
        QString errorText;
        open_ =
            FfmpegSource::openPart(path_, link.bytes.start, link.bytes.end, &errorNum, &errorText);
        openIndex_ = index;
        if (!open_) {
            return false;
        }
    }
    if (open_->seek(linkPosition) != linkPosition) {
        return false;
    }
    rate_.reset();
    if (converted(link)) {
        rate_ = std::make_unique<RateConverter>(channels(), link.rate, sampleRate());
        if (!rate_->valid()) {
            return false;
        }
    }
    next_ = link.start + av_rescale(linkPosition, sampleRate(), link.rate);
    return true;
}

std::vector<int16_t> ChainedOggSource::toChain(std::vector<int16_t> raw, int frames) {
    std::vector<int16_t> same = toChannels(std::move(raw), open_->channels(), channels());
    if (!rate_) {
        return same;
    }
    std::vector<int16_t> out;
    rate_->convert(same.data(), frames, out);
    return out;
}

bool ChainedOggSource::decodeNext(Block &block) {
    while (!finished_) {
        const Link &link = links_[current_];
        const int64_t linkEnd = link.start + link.length;
        std::vector<int16_t> raw;
        const int got = open_ && next_ < linkEnd ? open_->read(kLinkBlockFrames, raw) : 0;
        block.samples = toChain(std::move(raw), got);
        const auto chans = static_cast<size_t>(channels());
        const auto wanted = static_cast<size_t>(std::max<int64_t>(0, linkEnd - next_));
        if (got == 0) {
            // The link's data is over: what it still owes its length is the converter's
            // tail, or silence should the data have ended before its stated length.
            block.samples.resize(wanted * chans, 0);
        } else {
            block.samples.resize(std::min(block.samples.size(), wanted * chans));
        }
        const auto frames = static_cast<int64_t>(block.samples.size() / chans);
        block.start = next_;
        next_ += frames;
        if (got == 0 && !startLink(current_ + 1, 0)) {
            finished_ = true;  // a link that opened before and no longer does: the end
        }
        if (frames > 0) {
            return true;
        }
    }
    return false;
}

bool ChainedOggSource::seekBefore(int64_t target) {
    const auto in = std::find_if(links_.begin(), links_.end(),
                                 [target](const Link &l) { return target < l.start + l.length; });
    if (in == links_.end()) {
        return false;
    }
    const size_t index = static_cast<size_t>(in - links_.begin());
    int64_t linkPosition = target - in->start;
    if (converted(*in)) {
        // Start the converter where a link frame falls on a chain frame, a little before the
        // target, so that it runs in step with reading from the link's start.
        const int64_t common = std::gcd(int64_t{in->rate}, int64_t{sampleRate()});
        const int64_t linkStep = in->rate / common;
        const int64_t chainStep = sampleRate() / common;
        const int64_t preroll = int64_t{in->rate} * kResamplerPrerollMilliseconds / 1000;
        const int64_t steps =
            (target - in->start) / chainStep - (preroll + linkStep - 1) / linkStep;
        linkPosition = std::max<int64_t>(0, steps) * linkStep;
    }
    return startLink(index, linkPosition);
}

}  // namespace

std::vector<OggLink> findOggLinks(FileReader &file) {
    std::vector<OggLink> links;
    if (!readPage(file, 0)) {
        return links;
    }
    if (endsInFirstLink(file)) {
        links.push_back({0, file.size()});
        return links;
    }
    bool inHeaders = false;  // the pages since the link began all begin streams
    int64_t at = 0;
    while (const std::optional<OggPage> page = readPage(file, at)) {
        if (page->beginOfStream && !inHeaders) {
            links.push_back({at, at});
        }
        inHeaders = page->beginOfStream;
        at += page->size;
    }
    if (!links.empty()) {
        links.back().end = file.size();
        for (size_t i = 0; i + 1 < links.size(); ++i) {
            links[i].end = links[i + 1].start;
        }
    }
    return links;
}

std::unique_ptr<AudioSource> openChainedOgg(const QString &path, const std::vector<OggLink> &links,
                                            int *errorNum, QString *errorText) {
    std::vector<ChainedOggSource::Link> opened;
    std::unique_ptr<AudioSource> first;
    for (const OggLink &bytes : links) {
        int linkError = 0;
        QString linkErrorText;
        std::unique_ptr<AudioSource> source =
            FfmpegSource::openPart(path, bytes.start, bytes.end, &linkError, &linkErrorText);
        if (!first && !source) {
            *errorNum = linkError;
            *errorText = linkErrorText;
            return nullptr;
        }
        if (!source || source->length() <= 0) {
            continue;  // a damaged or empty link plays as nothing
        }
        ChainedOggSource::Link link;
        link.bytes = bytes;
        link.rate = source->sampleRate();
        link.channels = source->channels();
        if (!opened.empty()) {
            const ChainedOggSource::Link &before = opened.back();
            link.start = before.start + before.length;
        }
        const int chainRate = opened.empty() ? link.rate : opened.front().rate;
        link.length = av_rescale_rnd(source->length(), chainRate, link.rate, AV_ROUND_NEAR_INF);
        opened.push_back(link);
        if (!first) {
            first = std::move(source);
        }
    }
    if (!first) {
        *errorNum = ErrNotAudio;
        *errorText = QCoreApplication::translate("FfmpegSource", "The file holds no audio");
        return nullptr;
    }
    return std::make_unique<ChainedOggSource>(path, std::move(opened), std::move(first));
}

}  // namespace korvanta::codec
