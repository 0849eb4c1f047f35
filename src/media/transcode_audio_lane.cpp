#include "media/transcode_audio_lane.h"

#include "media/transcode_video_lane.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>

namespace lumivex {

using FFmpegHandles::check;
using FFmpegHandles::fail;

namespace {

int supportedSampleRate(const AVCodec& codec, int wanted) {
    if (codec.supported_samplerates == nullptr) {
        return wanted;
    }
    for (const int* rate = codec.supported_samplerates; *rate != 0; ++rate) {
        if (*rate == wanted) {
            return wanted;
        }
    }
    return 48000;
}

// The source's layout when the encoder takes it, else stereo (mono stays mono).
AVChannelLayout supportedLayout(const AVCodec& codec, const AVChannelLayout& source) {
    AVChannelLayout layout{};
    if (source.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&layout, source.nb_channels);
    } else {
        check(av_channel_layout_copy(&layout, &source), "channel layout");
    }
    for (const AVChannelLayout* known = codec.ch_layouts; known != nullptr && known->nb_channels;
         ++known) {
        if (av_channel_layout_compare(known, &layout) == 0) {
            return layout;
        }
    }
    av_channel_layout_uninit(&layout);
    av_channel_layout_default(&layout, source.nb_channels == 1 ? 1 : 2);
    return layout;
}

}  // namespace

TranscodeAudioLane::TranscodeAudioLane(AVFormatContext* input, int streamIndex,
                                       AVFormatContext* output)
    : inputStream_(input->streams[streamIndex]), output_(output) {
    openDecoder();
    openEncoder();
    openResampler();
    outputStream_ = avformat_new_stream(output, nullptr);
    if (outputStream_ == nullptr) {
        fail("add audio stream");
    }
    check(avcodec_parameters_from_context(outputStream_->codecpar, encoder_.get()),
          "audio stream parameters");
    outputStream_->time_base = encoder_->time_base;
    fifo_.reset(av_audio_fifo_alloc(encoder_->sample_fmt, encoder_->ch_layout.nb_channels,
                                    std::max(encoder_->frame_size, 1)));
    if (!fifo_) {
        fail("allocate sound buffer");
    }
}

void TranscodeAudioLane::openDecoder() {
    const AVCodec* codec = avcodec_find_decoder(inputStream_->codecpar->codec_id);
    if (codec == nullptr) {
        fail("no decoder for the sound");
    }
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_) {
        fail("allocate decoder");
    }
    check(avcodec_parameters_to_context(decoder_.get(), inputStream_->codecpar), "decoder setup");
    decoder_->pkt_timebase = inputStream_->time_base;
    check(avcodec_open2(decoder_.get(), codec, nullptr), "open sound decoder");
    if (decoder_->sample_rate <= 0 || decoder_->ch_layout.nb_channels <= 0) {
        fail("sound without a format");
    }
}

void TranscodeAudioLane::openEncoder() {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) {
        fail("no AAC encoder");
    }
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) {
        fail("allocate encoder");
    }
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = supportedSampleRate(*codec, decoder_->sample_rate);
    encoder_->ch_layout = supportedLayout(*codec, decoder_->ch_layout);
    encoder_->time_base = AVRational{1, encoder_->sample_rate};
    encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(encoder_.get(), codec, nullptr), "open AAC encoder");
}

void TranscodeAudioLane::openResampler() {
    AVChannelLayout sourceLayout{};
    if (decoder_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&sourceLayout, decoder_->ch_layout.nb_channels);
    } else {
        check(av_channel_layout_copy(&sourceLayout, &decoder_->ch_layout), "channel layout");
    }
    SwrContext* resampler = nullptr;
    const int made = swr_alloc_set_opts2(&resampler, &encoder_->ch_layout, encoder_->sample_fmt,
                                         encoder_->sample_rate, &sourceLayout, decoder_->sample_fmt,
                                         decoder_->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&sourceLayout);
    resampler_.reset(resampler);
    check(made, "sound conversion");
    check(swr_init(resampler), "sound conversion");
}

void TranscodeAudioLane::push(const AVPacket* packet) {
    check(avcodec_send_packet(decoder_.get(), packet), "decode sound");
    receiveFrames();
}

void TranscodeAudioLane::finish() {
    const int sent = avcodec_send_packet(decoder_.get(), nullptr);
    if (sent != AVERROR_EOF) {
        check(sent, "drain sound decoder");
    }
    receiveFrames();
    resample(nullptr);
    encodeBuffered(true);
    encode(nullptr);
}

void TranscodeAudioLane::receiveFrames() {
    while (true) {
        const int received = avcodec_receive_frame(decoder_.get(), decoded_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return;
        }
        check(received, "decode sound");
        if (nextPts_ == AV_NOPTS_VALUE) {
            const std::int64_t pts = decoded_->best_effort_timestamp;
            nextPts_ = pts == AV_NOPTS_VALUE
                           ? 0
                           : av_rescale_q(pts, inputStream_->time_base, encoder_->time_base);
        }
        resample(decoded_.get());
        av_frame_unref(decoded_.get());
        encodeBuffered(false);
    }
}

// A null frame drains what the resampler still holds.
void TranscodeAudioLane::resample(const AVFrame* frame) {
    const int inputSamples = frame == nullptr ? 0 : frame->nb_samples;
    const int capacity = swr_get_out_samples(resampler_.get(), inputSamples);
    if (capacity <= 0) {
        return;
    }
    FFmpegHandles::Frame buffer = FFmpegHandles::makeFrame();
    buffer->format = encoder_->sample_fmt;
    buffer->sample_rate = encoder_->sample_rate;
    buffer->nb_samples = capacity;
    check(av_channel_layout_copy(&buffer->ch_layout, &encoder_->ch_layout), "channel layout");
    check(av_frame_get_buffer(buffer.get(), 0), "allocate sound");
    const int converted = check(
        swr_convert(resampler_.get(), buffer->data, capacity,
                    frame == nullptr ? nullptr : const_cast<const std::uint8_t**>(frame->data),
                    inputSamples),
        "convert sound");
    if (converted > 0 && av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(buffer->data),
                                             converted) < converted) {
        fail("buffer sound");
    }
}

// Encoder frames hold exactly frame_size samples; only the last may be shorter.
void TranscodeAudioLane::encodeBuffered(bool final) {
    const int frameSize = encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
    while (av_audio_fifo_size(fifo_.get()) >= frameSize ||
           (final && av_audio_fifo_size(fifo_.get()) > 0)) {
        const int samples = std::min(frameSize, av_audio_fifo_size(fifo_.get()));
        FFmpegHandles::Frame frame = FFmpegHandles::makeFrame();
        frame->format = encoder_->sample_fmt;
        frame->sample_rate = encoder_->sample_rate;
        frame->nb_samples = samples;
        check(av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout), "channel layout");
        check(av_frame_get_buffer(frame.get(), 0), "allocate sound");
        if (av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), samples) <
            samples) {
            fail("read sound buffer");
        }
        frame->pts = nextPts_ == AV_NOPTS_VALUE ? 0 : nextPts_;
        nextPts_ = frame->pts + samples;
        encode(frame.get());
    }
}

void TranscodeAudioLane::encode(AVFrame* frame) {
    const int sent = avcodec_send_frame(encoder_.get(), frame);
    if (sent != AVERROR_EOF) {
        check(sent, "encode sound");
    }
    while (true) {
        const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return;
        }
        check(received, "encode sound");
        writeEncodedPacket(output_, outputStream_, encoder_->time_base, packet_.get());
    }
}

}  // namespace lumivex
