#include "media/h264_mp4_converter.h"

#include "media/ffmpeg_handles.h"
#include "media/transcode_audio_lane.h"
#include "media/transcode_video_lane.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace lumivex {

using FFmpegHandles::check;
using FFmpegHandles::fail;

namespace {

FFmpegHandles::Output openOutput(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    AVFormatContext* context = nullptr;
    check(avformat_alloc_output_context2(&context, nullptr, "mp4", encoded.constData()),
          "prepare MPEG-4 output");
    FFmpegHandles::Output output(context);
    check(avio_open(&context->pb, encoded.constData(), AVIO_FLAG_WRITE), "create copy");
    return output;
}

void writeHeader(AVFormatContext* output) {
    AVDictionary* options = nullptr;
    // The index goes before the media data: a player can start without reading to the end.
    av_dict_set(&options, "movflags", "+faststart", 0);
    const int written = avformat_write_header(output, &options);
    av_dict_free(&options);
    check(written, "write header");
}

double lengthInSeconds(const AVFormatContext& input, const AVStream& video) {
    if (input.duration != AV_NOPTS_VALUE && input.duration > 0) {
        return static_cast<double>(input.duration) / AV_TIME_BASE;
    }
    if (video.duration != AV_NOPTS_VALUE && video.duration > 0) {
        return static_cast<double>(video.duration) * av_q2d(video.time_base);
    }
    return 0;
}

// One conversion: the input, the output and the lanes between them.
class Conversion {
public:
    Conversion(const QString& source, const QString& destination)
        : input_(FFmpegHandles::openInput(source, true)), output_(openOutput(destination)) {
        const int video = av_find_best_stream(input_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (video < 0) {
            fail("no picture to convert");
        }
        video_.emplace(input_.get(), video, output_.get());
        const int audio =
            av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
        if (audio >= 0) {
            audio_.emplace(input_.get(), audio, output_.get());
        }
        length_ = lengthInSeconds(*input_, *input_->streams[video]);
    }

    void run(ConversionControl& control) {
        writeHeader(output_.get());
        FFmpegHandles::Packet packet = FFmpegHandles::makePacket();
        while (true) {
            if (control.cancelled.load()) {
                throw VideoConverter::Cancelled{};
            }
            const int read = av_read_frame(input_.get(), packet.get());
            if (read == AVERROR_EOF) {
                break;
            }
            check(read, "read source");
            route(packet.get());
            av_packet_unref(packet.get());
            if (length_ > 0) {
                control.fraction.store(std::clamp(video_->position() / length_, 0.0, 1.0));
            }
        }
        video_->finish();
        if (audio_) {
            audio_->finish();
        }
        check(av_write_trailer(output_.get()), "finish copy");
        control.fraction.store(1.0);
    }

private:
    void route(const AVPacket* packet) {
        if (packet->stream_index == video_->streamIndex()) {
            video_->push(packet);
        } else if (audio_ && packet->stream_index == audio_->streamIndex()) {
            audio_->push(packet);
        }
    }

    FFmpegHandles::Input input_;
    FFmpegHandles::Output output_;
    std::optional<TranscodeVideoLane> video_;
    std::optional<TranscodeAudioLane> audio_;
    double length_ = 0;
};

}  // namespace

bool H264Mp4Converter::isAvailable() const {
    return avcodec_find_decoder(AV_CODEC_ID_AV1) != nullptr &&
           avcodec_find_encoder_by_name("libx264") != nullptr &&
           avcodec_find_encoder(AV_CODEC_ID_AAC) != nullptr;
}

void H264Mp4Converter::convert(const QString& source, const QString& destination,
                               ConversionControl& control) const {
    Conversion conversion(source, destination);
    conversion.run(control);
}

}  // namespace lumivex
