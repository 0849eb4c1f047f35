#pragma once

#include <QString>

// Short clips in the codecs the video services meet, encoded on the spot through the FFmpeg
// libraries. Failures throw.
namespace lumivex::test {

enum class PictureCodec { av1, h264, mpeg4 };

struct EncodedClip {
    PictureCodec picture = PictureCodec::h264;
    int width = 64;
    int height = 64;
    int frames = 10;
    int framesPerSecond = 10;
    bool sound = false;  // a mono AAC tone as long as the picture
    bool picturePresent = true;
    const char* container = "mp4";  // a libavformat muxer name
};

void writeEncodedClip(const QString& path, const EncodedClip& clip);

}  // namespace lumivex::test
