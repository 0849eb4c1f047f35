#include "media/video_frame.h"

#include "media/ffmpeg_handles.h"
#include "model/ffmpeg_allocation_cap.h"

#include <QFile>
#include <QTransform>

#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libswscale/swscale.h>
}

namespace lumivex::VideoFrame {

namespace {

constexpr double tolerance = 0.5;

using FFmpegHandles::Frame;
using FFmpegHandles::Input;
using FFmpegHandles::Packet;
using Decoder = FFmpegHandles::CodecContext;

int interrupted(void* cancelled) {
    return static_cast<const std::atomic<bool>*>(cancelled)->load() ? 1 : 0;
}

Input openInput(const QString& path, const std::atomic<bool>& cancelled) {
    FFmpegAllocationCap::apply();
    AVFormatContext* context = avformat_alloc_context();
    if (context == nullptr) {
        return nullptr;
    }
    // FFmpeg only reads through the flag, but its callback takes a mutable pointer.
    context->interrupt_callback.callback = interrupted;
    context->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(&cancelled);
    const QByteArray encoded = QFile::encodeName(path);
    if (avformat_open_input(&context, encoded.constData(), nullptr, nullptr) < 0) {
        return nullptr;  // the context is freed by the failed open
    }
    return Input(context);
}

// The video stream and an opened decoder for it. Stream parameters are probed only when the
// container header does not state them, since probing decodes frames of its own.
int openVideoStream(AVFormatContext* input, Decoder& decoder) {
    const AVCodec* codec = nullptr;
    int index = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || input->streams[index]->codecpar->width <= 0) {
        if (avformat_find_stream_info(input, nullptr) < 0) {
            return -1;
        }
        index = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    }
    if (index < 0 || codec == nullptr) {
        return -1;
    }
    decoder.reset(avcodec_alloc_context3(codec));
    if (!decoder ||
        avcodec_parameters_to_context(decoder.get(), input->streams[index]->codecpar) < 0) {
        return -1;
    }
    decoder->thread_count = 1;  // several thumbnails decode side by side already
    return avcodec_open2(decoder.get(), codec, nullptr) < 0 ? -1 : index;
}

double frameSeconds(const AVStream& stream, const AVFrame& frame) {
    const std::int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    return static_cast<double>(frame.best_effort_timestamp - start) * av_q2d(stream.time_base);
}

void seekBefore(AVFormatContext* input, int index, AVCodecContext* decoder, double seconds) {
    const AVStream& stream = *input->streams[index];
    const std::int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    const auto target = start + std::llround(seconds / av_q2d(stream.time_base));
    if (av_seek_frame(input, index, target, AVSEEK_FLAG_BACKWARD) >= 0) {
        avcodec_flush_buffers(decoder);
    }
}

// Feeds the decoder one packet of the stream, or the end of the stream when none is left.
// Returns false once the end has been sent.
bool feed(AVFormatContext* input, int index, AVCodecContext* decoder, AVPacket* packet) {
    while (av_read_frame(input, packet) >= 0) {
        const bool ours = packet->stream_index == index;
        if (ours) {
            avcodec_send_packet(decoder, packet);  // a damaged packet just yields no frame
        }
        av_packet_unref(packet);
        if (ours) {
            return true;
        }
    }
    avcodec_send_packet(decoder, nullptr);
    return false;
}

Frame frameAt(AVFormatContext* input, int index, AVCodecContext* decoder, double seconds,
              const std::atomic<bool>& cancelled) {
    if (seconds > 0) {
        seekBefore(input, index, decoder, seconds);
    }
    const AVStream& stream = *input->streams[index];
    Packet packet(av_packet_alloc());
    Frame last;
    bool more = true;
    while (!cancelled.load()) {
        if (more) {
            more = feed(input, index, decoder, packet.get());
        }
        Frame frame(av_frame_alloc());
        int received = 0;
        while ((received = avcodec_receive_frame(decoder, frame.get())) == 0) {
            const bool timed = frame->best_effort_timestamp != AV_NOPTS_VALUE;
            const bool reached = !timed || frameSeconds(stream, *frame) >= seconds - tolerance;
            last = std::move(frame);
            if (reached) {
                return last;
            }
            frame.reset(av_frame_alloc());
        }
        if (!more && received != AVERROR(EAGAIN)) {
            return last;
        }
    }
    return nullptr;
}

// The frame's size on screen (square pixels) shrunk to meet the box.
QSize displaySize(AVFormatContext* input, AVStream* stream, AVFrame* frame, int size,
                  ThumbnailScaling scaling) {
    const AVRational aspect = av_guess_sample_aspect_ratio(input, stream, frame);
    double width = frame->width;
    if (aspect.num > 0 && aspect.den > 0) {
        width = width * aspect.num / aspect.den;
    }
    const QSize shown(std::max(1, static_cast<int>(std::lround(width))), frame->height);
    return reducedSize(shown, size, scaling);
}

QImage convert(const AVFrame& frame, QSize target) {
    SwsContext* scaler = sws_getContext(
        frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), target.width(),
        target.height(), AV_PIX_FMT_RGB32, SWS_AREA, nullptr, nullptr, nullptr);
    if (scaler == nullptr) {
        return {};
    }
    QImage image(target, QImage::Format_RGB32);
    std::uint8_t* const planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    const int rows =
        sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides);
    sws_freeContext(scaler);
    return rows > 0 ? image : QImage();
}

// The clockwise quarter turns the stream asks for when shown.
int clockwiseDegrees(const AVStream& stream) {
    const auto* matrix = reinterpret_cast<const std::int32_t*>(
        av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (matrix == nullptr) {
        return 0;
    }
    const double counterClockwise = av_display_rotation_get(matrix);
    if (!std::isfinite(counterClockwise)) {
        return 0;
    }
    const long quarters = std::lround(-counterClockwise / 90.0);
    return static_cast<int>(((quarters % 4) + 4) % 4) * 90;
}

}  // namespace

double frameTime(std::optional<double> duration) {
    if (!duration || !std::isfinite(*duration) || *duration <= 0) {
        return 0;
    }
    return std::min(*duration / 2, 1.0);
}

QImage grab(const QString& path, double seconds, int size, const std::atomic<bool>& cancelled,
            ThumbnailScaling scaling) {
    if (size <= 0 || cancelled.load()) {
        return {};
    }
    Input input = openInput(path, cancelled);
    Decoder decoder;
    const int index = input ? openVideoStream(input.get(), decoder) : -1;
    if (index < 0) {
        return {};
    }
    const Frame frame = frameAt(input.get(), index, decoder.get(), seconds, cancelled);
    if (!frame || cancelled.load()) {
        return {};
    }
    AVStream* stream = input->streams[index];
    QImage image = convert(*frame, displaySize(input.get(), stream, frame.get(), size, scaling));
    const int degrees = clockwiseDegrees(*stream);
    if (!image.isNull() && degrees != 0) {
        image = image.transformed(QTransform().rotate(degrees));
    }
    return image;
}

}  // namespace lumivex::VideoFrame
