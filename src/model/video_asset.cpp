#include "model/video_asset.h"

#include "model/ffmpeg_allocation_cap.h"
#include "platform/error.h"
#include "platform/read_only_file.h"

#include <QFile>
#include <QStringList>
#include <QtEndian>

#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

namespace lumivex {

struct VideoAsset::Cursor {
    explicit Cursor(const QString& path) : file(path) {}

    ReadOnlyFile file;
    std::int64_t position = 0;
};

namespace {

// libavformat's own buffer size for files.
constexpr int ioBufferSize = 32768;

// The reads and seeks of libavformat's file protocol, on a file already open.
int readPacket(void* opaque, std::uint8_t* into, int count) {
    auto& cursor = *static_cast<VideoAsset::Cursor*>(opaque);
    try {
        const std::int64_t got =
            cursor.file.read(cursor.position, reinterpret_cast<char*>(into), count);
        if (got == 0) {
            return AVERROR_EOF;
        }
        cursor.position += got;
        return static_cast<int>(got);
    } catch (const Error& error) {
        return AVERROR(error.systemErrorNumber());
    }
}

std::int64_t seekTo(void* opaque, std::int64_t offset, int whence) {
    auto& cursor = *static_cast<VideoAsset::Cursor*>(opaque);
    try {
        if ((whence & AVSEEK_SIZE) != 0) {
            return cursor.file.size();
        }
        std::int64_t base = 0;
        switch (whence & ~AVSEEK_FORCE) {
            case SEEK_SET:
                break;
            case SEEK_CUR:
                base = cursor.position;
                break;
            case SEEK_END:
                base = cursor.file.size();
                break;
            default:
                return AVERROR(EINVAL);
        }
        std::int64_t target = 0;
        if (__builtin_add_overflow(base, offset, &target) || target < 0) {
            return AVERROR(EINVAL);
        }
        cursor.position = target;
        return target;
    } catch (const Error& error) {
        return AVERROR(error.systemErrorNumber());
    }
}

// The QuickTime demuxer when the file begins with a well-formed "ftyp" box that is not JPEG 2000:
// for such a file that demuxer answers with full certainty when every demuxer is asked.
const AVInputFormat* knownFormat(QByteArrayView head) {
    if (head.size() < 12 || head.sliced(4, 4) != "ftyp") {
        return nullptr;
    }
    const quint32 boxSize = qFromBigEndian<quint32>(head.data());
    const QByteArrayView brand = head.sliced(8, 4);
    if (boxSize < 8 || brand == "jp2 " || brand == "jpx ") {
        return nullptr;
    }
    return av_find_input_format("mov");
}

}  // namespace

VideoAsset::VideoAsset(const QString& path) {
    FFmpegAllocationCap::apply();
    try {
        cursor_ = std::make_unique<Cursor>(path);
    } catch (const Error&) {
        return;  // cannot be read: no metadata, no duration
    }
    auto* buffer = static_cast<unsigned char*>(av_malloc(ioBufferSize));
    io_ = avio_alloc_context(buffer, ioBufferSize, 0, cursor_.get(), readPacket, nullptr, seekTo);
    if (io_ == nullptr) {
        av_free(buffer);
        return;
    }
    context_ = avformat_alloc_context();
    if (context_ == nullptr) {
        return;
    }
    context_->pb = io_;
    const QByteArray encoded = QFile::encodeName(path);
    // On failure the context is freed and nulled; the reader stays ours to free.
    avformat_open_input(&context_, encoded.constData(), knownFormat(cursor_->file.head()), nullptr);
}

VideoAsset::~VideoAsset() {
    avformat_close_input(&context_);
    if (io_ != nullptr) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
}

std::optional<double> VideoAsset::duration() {
    if (context_ == nullptr) {
        return std::nullopt;
    }
    // Most containers state their length in the header; only the others are probed, which reads
    // and may decode the first packets.
    if (context_->duration == AV_NOPTS_VALUE && !streamInfoRead_) {
        streamInfoRead_ = true;
        if (avformat_find_stream_info(context_, nullptr) < 0) {
            return std::nullopt;
        }
    }
    if (context_->duration == AV_NOPTS_VALUE) {
        return std::nullopt;
    }
    const double seconds = static_cast<double>(context_->duration) / AV_TIME_BASE;
    if (!std::isfinite(seconds) || seconds < 0) {
        return std::nullopt;
    }
    return seconds;
}

QStringList VideoAsset::metadataValues(const char* key, bool includeStreams) const {
    QStringList values;
    if (context_ == nullptr) {
        return values;
    }
    auto collect = [&](const AVDictionary* dictionary) {
        if (const AVDictionaryEntry* entry = av_dict_get(dictionary, key, nullptr, 0)) {
            values.append(QString::fromUtf8(entry->value));
        }
    };
    collect(context_->metadata);
    if (includeStreams) {
        for (unsigned int i = 0; i < context_->nb_streams; ++i) {
            collect(context_->streams[i]->metadata);
        }
    }
    return values;
}

}  // namespace lumivex
