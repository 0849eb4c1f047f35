#pragma once

#include <QString>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// Owners of the FFmpeg objects the media services use, and the one way their failures become
// errors. Internal to the media layer; every function may be called on any thread.
namespace lumivex::FFmpegHandles {

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct OutputCloser {
    void operator()(AVFormatContext* context) const;
};
struct CodecContextFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
struct ResamplerFreer {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};
struct AudioFifoFreer {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using Input = std::unique_ptr<AVFormatContext, InputCloser>;
using Output = std::unique_ptr<AVFormatContext, OutputCloser>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;
using Scaler = std::unique_ptr<SwsContext, ScalerFreer>;
using Resampler = std::unique_ptr<SwrContext, ResamplerFreer>;
using AudioFifo = std::unique_ptr<AVAudioFifo, AudioFifoFreer>;

inline constexpr const char* errorDomain = "FFmpeg";

// Throws Error in errorDomain with the library's own reason when `result` is negative, and
// returns it otherwise.
int check(int result, const char* what);
// Throws the same error for a failure that has no FFmpeg code.
[[noreturn]] void fail(const char* what);

// Opens `path` and reads enough of it to know its streams. Throws Error when it cannot.
Input openInput(const QString& path, bool readStreamInfo);

Frame makeFrame();
Packet makePacket();

}  // namespace lumivex::FFmpegHandles
