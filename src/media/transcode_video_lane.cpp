#include "media/transcode_video_lane.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace lumivex {

using FFmpegHandles::check;
using FFmpegHandles::fail;

namespace {

const AVCodec* pictureDecoder(AVCodecID codec) {
    // dav1d is the fastest AV1 decoder the libraries offer; the built-in one needs hardware.
    if (codec == AV_CODEC_ID_AV1) {
        if (const AVCodec* dav1d = avcodec_find_decoder_by_name("libdav1d")) {
            return dav1d;
        }
    }
    return avcodec_find_decoder(codec);
}

// H.264 in 4:2:0 wants even sides.
int evenSide(int side) {
    return std::max(2, side & ~1);
}

void copyDisplayMatrix(const AVStream* from, AVStream* to) {
    size_t size = 0;
    const std::uint8_t* matrix = av_stream_get_side_data(from, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (matrix == nullptr || size < 9 * sizeof(std::int32_t)) {
        return;
    }
    std::uint8_t* copy = av_stream_new_side_data(to, AV_PKT_DATA_DISPLAYMATRIX, size);
    if (copy == nullptr) {
        fail("copy orientation");
    }
    std::memcpy(copy, matrix, size);
}

}  // namespace

void writeEncodedPacket(AVFormatContext* output, AVStream* stream, AVRational timeBase,
                        AVPacket* packet) {
    av_packet_rescale_ts(packet, timeBase, stream->time_base);
    packet->stream_index = stream->index;
    check(av_interleaved_write_frame(output, packet), "write packet");
}

TranscodeVideoLane::TranscodeVideoLane(AVFormatContext* input, int streamIndex,
                                       AVFormatContext* output)
    : inputStream_(input->streams[streamIndex]), output_(output) {
    openDecoder();
    openEncoder();
    outputStream_ = avformat_new_stream(output, nullptr);
    if (outputStream_ == nullptr) {
        fail("add video stream");
    }
    check(avcodec_parameters_from_context(outputStream_->codecpar, encoder_.get()),
          "video stream parameters");
    outputStream_->time_base = encoder_->time_base;
    outputStream_->sample_aspect_ratio = encoder_->sample_aspect_ratio;
    copyDisplayMatrix(inputStream_, outputStream_);
}

void TranscodeVideoLane::openDecoder() {
    const AVCodec* codec = pictureDecoder(inputStream_->codecpar->codec_id);
    if (codec == nullptr) {
        fail("no decoder for the picture");
    }
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_) {
        fail("allocate decoder");
    }
    check(avcodec_parameters_to_context(decoder_.get(), inputStream_->codecpar), "decoder setup");
    decoder_->pkt_timebase = inputStream_->time_base;
    decoder_->thread_count = 0;
    check(avcodec_open2(decoder_.get(), codec, nullptr), "open decoder");
}

void TranscodeVideoLane::openEncoder() {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) {
        fail("no H.264 encoder");
    }
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) {
        fail("allocate encoder");
    }
    const AVCodecParameters& source = *inputStream_->codecpar;
    if (source.width <= 0 || source.height <= 0) {
        fail("picture without a size");
    }
    encoder_->width = evenSide(source.width);
    encoder_->height = evenSide(source.height);
    encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder_->time_base = inputStream_->time_base;
    const AVRational rate = inputStream_->avg_frame_rate.num > 0 ? inputStream_->avg_frame_rate
                                                                 : inputStream_->r_frame_rate;
    encoder_->framerate = rate.num > 0 ? rate : AVRational{30, 1};
    encoder_->sample_aspect_ratio = source.sample_aspect_ratio;
    encoder_->color_range = source.color_range;
    encoder_->color_primaries = source.color_primaries;
    encoder_->color_trc = source.color_trc;
    encoder_->colorspace = source.color_space;
    encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    // A constant quality close to the source's, at the encoder's balanced speed.
    av_dict_set(&options, "crf", "18", 0);
    const int opened = avcodec_open2(encoder_.get(), codec, &options);
    av_dict_free(&options);
    check(opened, "open H.264 encoder");
}

void TranscodeVideoLane::push(const AVPacket* packet) {
    check(avcodec_send_packet(decoder_.get(), packet), "decode picture");
    receiveFrames();
}

void TranscodeVideoLane::finish() {
    const int sent = avcodec_send_packet(decoder_.get(), nullptr);
    if (sent != AVERROR_EOF) {
        check(sent, "drain decoder");
    }
    receiveFrames();
    encode(nullptr);
}

void TranscodeVideoLane::receiveFrames() {
    while (true) {
        const int received = avcodec_receive_frame(decoder_.get(), decoded_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return;
        }
        check(received, "decode picture");
        std::int64_t pts = decoded_->best_effort_timestamp;
        // The encoder refuses times that do not rise.
        if (pts == AV_NOPTS_VALUE || (lastPts_ != AV_NOPTS_VALUE && pts <= lastPts_)) {
            pts = lastPts_ == AV_NOPTS_VALUE ? 0 : lastPts_ + 1;
        }
        lastPts_ = pts;
        const std::int64_t start =
            inputStream_->start_time == AV_NOPTS_VALUE ? 0 : inputStream_->start_time;
        position_ = static_cast<double>(pts - start) * av_q2d(inputStream_->time_base);
        AVFrame* frame = fitted(decoded_.get());
        frame->pts = pts;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        encode(frame);
        av_frame_unref(decoded_.get());
    }
}

AVFrame* TranscodeVideoLane::fitted(AVFrame* frame) {
    if (frame->format == encoder_->pix_fmt && frame->width == encoder_->width &&
        frame->height == encoder_->height) {
        return frame;
    }
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame->width, frame->height,
                                       static_cast<AVPixelFormat>(frame->format), encoder_->width,
                                       encoder_->height, encoder_->pix_fmt, SWS_BICUBIC, nullptr,
                                       nullptr, nullptr));
    if (!scaler_) {
        fail("convert picture format");
    }
    if (!scaled_) {
        scaled_ = FFmpegHandles::makeFrame();
        scaled_->format = encoder_->pix_fmt;
        scaled_->width = encoder_->width;
        scaled_->height = encoder_->height;
        check(av_frame_get_buffer(scaled_.get(), 0), "allocate picture");
    }
    check(av_frame_make_writable(scaled_.get()), "allocate picture");
    check(sws_scale(scaler_.get(), frame->data, frame->linesize, 0, frame->height, scaled_->data,
                    scaled_->linesize),
          "convert picture");
    return scaled_.get();
}

void TranscodeVideoLane::encode(AVFrame* frame) {
    const int sent = avcodec_send_frame(encoder_.get(), frame);
    if (sent != AVERROR_EOF) {
        check(sent, "encode picture");
    }
    while (true) {
        const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return;
        }
        check(received, "encode picture");
        writeEncodedPacket(output_, outputStream_, encoder_->time_base, packet_.get());
    }
}

}  // namespace lumivex
