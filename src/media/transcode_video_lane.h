#pragma once

#include "media/ffmpeg_handles.h"

#include <cstdint>

namespace lumivex {

// The picture half of a conversion: decodes one video stream (AV1 through libdav1d when present)
// and encodes it as 8-bit 4:2:0 H.264 with libx264 into a stream of the output file, keeping the
// stream's orientation and pixel aspect. Lives on one worker thread for one conversion.
class TranscodeVideoLane {
public:
    // Adds the output stream; call before the output's header is written.
    TranscodeVideoLane(AVFormatContext* input, int streamIndex, AVFormatContext* output);

    int streamIndex() const { return inputStream_->index; }
    // Decodes one packet of the stream and writes whatever the encoder gives back.
    void push(const AVPacket* packet);
    // Drains the decoder and the encoder.
    void finish();
    // Seconds from the stream's start to the last decoded picture.
    double position() const { return position_; }

private:
    void openDecoder();
    void openEncoder();
    void receiveFrames();
    void encode(AVFrame* frame);
    AVFrame* fitted(AVFrame* frame);

    AVStream* inputStream_;
    AVFormatContext* output_;
    AVStream* outputStream_ = nullptr;
    FFmpegHandles::CodecContext decoder_;
    FFmpegHandles::CodecContext encoder_;
    FFmpegHandles::Scaler scaler_;
    FFmpegHandles::Frame decoded_ = FFmpegHandles::makeFrame();
    FFmpegHandles::Frame scaled_;
    FFmpegHandles::Packet packet_ = FFmpegHandles::makePacket();
    std::int64_t lastPts_ = AV_NOPTS_VALUE;
    double position_ = 0;
};

// Writes one encoded packet, taking its times from `timeBase` to the output stream's.
void writeEncodedPacket(AVFormatContext* output, AVStream* stream, AVRational timeBase,
                        AVPacket* packet);

}  // namespace lumivex
