#include "audio/codec/ffmpeg_file_io.h"

#include <cstdio>

namespace korvanta::codec {

namespace {

constexpr int kBufferBytes = 32 * 1024;

struct FileIoState {
    FileReader *file = nullptr;
    int64_t position = 0;
};

int readPacket(void *opaque, uint8_t *buf, int size) {
    auto *state = static_cast<FileIoState *>(opaque);
    const size_t got = state->file->readAt(state->position, buf, static_cast<size_t>(size));
    if (got == 0) {
        return AVERROR_EOF;
    }
    state->position += static_cast<int64_t>(got);
    return static_cast<int>(got);
}

int64_t seekTo(void *opaque, int64_t offset, int whence) {
    auto *state = static_cast<FileIoState *>(opaque);
    int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return state->file->size();
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = state->position + offset;
            break;
        case SEEK_END:
            target = state->file->size() + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0) {
        return AVERROR(EINVAL);
    }
    state->position = target;
    return target;
}

}  // namespace

void FileIoDeleter::operator()(AVIOContext *io) const {
    delete static_cast<FileIoState *>(io->opaque);
    av_freep(&io->buffer);
    avio_context_free(&io);
}

FileIoPtr makeFileIo(FileReader &file) {
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferBytes));
    if (buffer == nullptr) {
        return nullptr;
    }
    auto *state = new FileIoState{&file, 0};
    AVIOContext *io =
        avio_alloc_context(buffer, kBufferBytes, 0, state, &readPacket, nullptr, &seekTo);
    if (io == nullptr) {
        av_free(buffer);
        delete state;
        return nullptr;
    }
    return FileIoPtr(io);
}

}  // namespace korvanta::codec
