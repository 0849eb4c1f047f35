#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <optional>
#include <string>

// Media files for tests, made on the spot: JPEGs and PNGs with the dates the capture-date reader
// looks for, and short MP4 clips encoded through the FFmpeg libraries. Failures throw.
namespace lumivex::test {

// The EXIF date fields of a photo; absent fields are not written.
struct ExifDates {
    std::optional<std::string> original = std::nullopt;            // DateTimeOriginal
    std::optional<std::string> originalOffset = std::nullopt;      // OffsetTimeOriginal
    std::optional<std::string> originalSubSecond = std::nullopt;   // SubSecTimeOriginal
    std::optional<std::string> digitized = std::nullopt;           // DateTimeDigitized
    std::optional<std::string> digitizedOffset = std::nullopt;     // OffsetTimeDigitized
    std::optional<std::string> digitizedSubSecond = std::nullopt;  // SubSecTimeDigitized
};

// A small baseline JPEG (16x16 grey) without metadata.
QByteArray plainJpeg();
// Writes a JPEG with these EXIF dates.
void writeJpeg(const QString& path, const ExifDates& dates);
// Adds EXIF dates to an existing image file through exiv2.
void addExif(const QString& path, const ExifDates& dates);
// Sets the EXIF orientation (1 to 8) of an existing image file through exiv2.
void setOrientation(const QString& path, int orientation);
// `image` encoded as JPEG, PNG or another format Qt writes.
QByteArray encodeImage(const QImage& image, const char* format, int quality = 90);
// A camera-like picture: smooth gradients with fine noise, so a JPEG of it has the size and the
// decoding cost of a photograph. The same seed gives the same picture.
QImage photoLikeImage(QSize size, quint32 seed);

struct PngTextChunk {
    QByteArray type = {};  // "tEXt", "zTXt" or "iTXt"
    QByteArray keyword = {};
    QByteArray text = {};
    bool compressed = false;  // iTXt only; zTXt is always compressed
};

// A valid 1x1 PNG with the text chunks before its image data.
QByteArray png(const QList<PngTextChunk>& chunks);
// The CRC-32 of PNG chunks (ISO 3309).
quint32 crc32(QByteArrayView bytes);

// Frame n of a clip is uniformly grey at luma 64 + 16 * n (modulo 256), so a test can tell which
// frame a reader took; or, for a test of which way a picture turns, red in its left half and blue
// in its right.
struct VideoClip {
    int frames = 5;
    int framesPerSecond = 10;
    int width = 64;
    int height = 64;
    int clockwiseRotation = 0;  // the display rotation stored with the stream (0, 90, 180, 270)
    bool redLeftBlueRight = false;
    std::optional<std::string> creationTime = std::nullopt;  // the container's "creation_time"
    std::optional<std::string> quickTimeCreationDate =
        std::nullopt;  // "com.apple.quicktime.creationdate"
};

// Encodes a tiny clip (MPEG-4 part 2 in MP4, or in QuickTime when the clip has a QuickTime date).
void writeVideo(const QString& path, const VideoClip& clip);

// Writes a WAV file of a tenth of a second of silence: a media file with no video stream.
void writeAudio(const QString& path);

}  // namespace lumivex::test
