#pragma once

#include "media/ffmpeg_handles.h"

#include <cstdint>

namespace lumivex {

// The sound half of a conversion: decodes one audio stream and encodes it as AAC into a stream
// of the output file, at the source's sample rate and channel layout where AAC allows them.
// Lives on one worker thread for one conversion.
class TranscodeAudioLane {
public:
    // Adds the output stream; call before the output's header is written.
    TranscodeAudioLane(AVFormatContext* input, int streamIndex, AVFormatContext* output);

    int streamIndex() const { return inputStream_->index; }
    void push(const AVPacket* packet);
    // Drains the decoder, the resampler and the encoder.
    void finish();

private:
    void openDecoder();
    void openEncoder();
    void openResampler();
    void receiveFrames();
    void resample(const AVFrame* frame);
    void encodeBuffered(bool final);
    void encode(AVFrame* frame);

    AVStream* inputStream_;
    AVFormatContext* output_;
    AVStream* outputStream_ = nullptr;
    FFmpegHandles::CodecContext decoder_;
    FFmpegHandles::CodecContext encoder_;
    FFmpegHandles::Resampler resampler_;
    FFmpegHandles::AudioFifo fifo_;
    FFmpegHandles::Frame decoded_ = FFmpegHandles::makeFrame();
    FFmpegHandles::Packet packet_ = FFmpegHandles::makePacket();
    // The time of the next encoded sample, in samples; set by the first decoded frame.
    std::int64_t nextPts_ = AV_NOPTS_VALUE;
};

}  // namespace lumivex
