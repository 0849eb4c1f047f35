#include "support/video_encoding.h"

#include <QFile>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace lumivex::test {

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        throw std::runtime_error(std::string("video fixture: ") + what);
    }
}

struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct OutputFreer {
    void operator()(AVFormatContext* context) const {
        avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;

const AVCodec* pictureEncoder(PictureCodec codec) {
    switch (codec) {
        case PictureCodec::av1:
            return avcodec_find_encoder_by_name("libaom-av1");
        case PictureCodec::h264:
            return avcodec_find_encoder_by_name("libx264");
        case PictureCodec::mpeg4:
            break;
    }
    return avcodec_find_encoder(AV_CODEC_ID_MPEG4);
}

Codec openPicture(const EncodedClip& clip) {
    const AVCodec* codec = pictureEncoder(clip.picture);
    check(codec != nullptr, "no picture encoder");
    Codec context(avcodec_alloc_context3(codec));
    context->width = clip.width;
    context->height = clip.height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, clip.framesPerSecond};
    context->framerate = AVRational{clip.framesPerSecond, 1};
    context->gop_size = clip.framesPerSecond;
    context->max_b_frames = 0;
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (clip.picture == PictureCodec::av1) {
        av_opt_set(context->priv_data, "usage", "realtime", 0);
        av_opt_set(context->priv_data, "cpu-used", "10", 0);
    } else if (clip.picture == PictureCodec::h264) {
        av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    }
    check(avcodec_open2(context.get(), codec, nullptr) >= 0, "cannot open picture encoder");
    return context;
}

Codec openSound() {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    check(codec != nullptr, "no AAC encoder");
    Codec context(avcodec_alloc_context3(codec));
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->sample_rate = 44100;
    av_channel_layout_default(&context->ch_layout, 1);
    context->time_base = AVRational{1, 44100};
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(context.get(), codec, nullptr) >= 0, "cannot open AAC encoder");
    return context;
}

Frame pictureFrame(const AVCodecContext& context, int index) {
    Frame frame(av_frame_alloc());
    frame->format = context.pix_fmt;
    frame->width = context.width;
    frame->height = context.height;
    check(av_frame_get_buffer(frame.get(), 0) >= 0, "no frame buffer");
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? context.height : (context.height + 1) / 2;
        for (int row = 0; row < rows; ++row) {
            std::uint8_t* line = frame->data[plane] + row * frame->linesize[plane];
            for (int column = 0; column < frame->linesize[plane]; ++column) {
                line[column] = plane == 0 ? static_cast<std::uint8_t>(row * 3 + column + index * 8)
                                          : static_cast<std::uint8_t>(128 + plane * 20);
            }
        }
    }
    frame->pts = index;
    return frame;
}

Frame soundFrame(const AVCodecContext& context, std::int64_t firstSample) {
    Frame frame(av_frame_alloc());
    frame->format = context.sample_fmt;
    frame->sample_rate = context.sample_rate;
    frame->nb_samples = context.frame_size;
    av_channel_layout_copy(&frame->ch_layout, &context.ch_layout);
    check(av_frame_get_buffer(frame.get(), 0) >= 0, "no sound buffer");
    auto* samples = reinterpret_cast<float*>(frame->data[0]);
    for (int i = 0; i < frame->nb_samples; ++i) {
        const double t = static_cast<double>(firstSample + i) / context.sample_rate;
        samples[i] = static_cast<float>(0.2 * std::sin(2 * std::numbers::pi * 440 * t));
    }
    frame->pts = firstSample;
    return frame;
}

void drain(AVFormatContext* output, AVCodecContext* encoder, AVStream* stream,
           const AVFrame* frame) {
    check(avcodec_send_frame(encoder, frame) >= 0, "cannot send frame");
    Packet packet(av_packet_alloc());
    while (avcodec_receive_packet(encoder, packet.get()) == 0) {
        av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        check(av_interleaved_write_frame(output, packet.get()) >= 0, "cannot write packet");
    }
}

AVStream* addStream(AVFormatContext* output, const AVCodecContext& encoder) {
    AVStream* stream = avformat_new_stream(output, nullptr);
    check(stream != nullptr, "no stream");
    check(avcodec_parameters_from_context(stream->codecpar, &encoder) >= 0, "no parameters");
    stream->time_base = encoder.time_base;
    return stream;
}

}  // namespace

void writeEncodedClip(const QString& path, const EncodedClip& clip) {
    const QByteArray encodedPath = QFile::encodeName(path);
    AVFormatContext* context = nullptr;
    check(avformat_alloc_output_context2(&context, nullptr, clip.container,
                                         encodedPath.constData()) >= 0,
          "no muxer");
    const std::unique_ptr<AVFormatContext, OutputFreer> output(context);
    Codec picture = clip.picturePresent ? openPicture(clip) : nullptr;
    Codec sound = clip.sound || !clip.picturePresent ? openSound() : nullptr;
    AVStream* pictureStream = picture ? addStream(context, *picture) : nullptr;
    AVStream* soundStream = sound ? addStream(context, *sound) : nullptr;
    check(avio_open(&context->pb, encodedPath.constData(), AVIO_FLAG_WRITE) >= 0, "cannot create");
    check(avformat_write_header(context, nullptr) >= 0, "cannot write header");
    const double seconds = static_cast<double>(clip.frames) / clip.framesPerSecond;
    std::int64_t sample = 0;
    for (int index = 0; index < clip.frames || (sound && sample < seconds * 44100); ++index) {
        if (picture && index < clip.frames) {
            drain(context, picture.get(), pictureStream, pictureFrame(*picture, index).get());
        }
        while (sound && sample < (index + 1) * 44100.0 / clip.framesPerSecond &&
               sample < seconds * 44100) {
            drain(context, sound.get(), soundStream, soundFrame(*sound, sample).get());
            sample += sound->frame_size;
        }
    }
    if (picture) {
        drain(context, picture.get(), pictureStream, nullptr);
    }
    if (sound) {
        drain(context, sound.get(), soundStream, nullptr);
    }
    check(av_write_trailer(context) >= 0, "cannot write trailer");
}

}  // namespace lumivex::test
