#include "model/video_asset.h"

#include <QFile>
#include <QStringList>

#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace lumivex {

VideoAsset::VideoAsset(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    if (avformat_open_input(&context_, encoded.constData(), nullptr, nullptr) < 0) {
        context_ = nullptr;
    }
}

VideoAsset::~VideoAsset() {
    avformat_close_input(&context_);
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
