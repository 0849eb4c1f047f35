#pragma once

#include "media/video_converter.h"

namespace lumivex {

// Converts a video into an MPEG-4 file of H.264 picture (libx264, constant quality 18) and AAC
// sound, with its index at the front so that playback can start before the whole file is read.
// Stateless; one instance may serve many threads.
class H264Mp4Converter final : public VideoConverter {
public:
    bool isAvailable() const override;
    void convert(const QString& source, const QString& destination,
                 ConversionControl& control) const override;
};

}  // namespace lumivex
