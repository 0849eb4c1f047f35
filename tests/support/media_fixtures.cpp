#include "support/media_fixtures.h"

#include "support/test_files.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtEndian>

#include <exiv2/exiv2.hpp>

#include <array>
#include <memory>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
}

namespace lumivex::test {

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        throw std::runtime_error(std::string("media fixture: ") + what);
    }
}

struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;

CodecContext openEncoder(AVCodecID codecId, AVPixelFormat format, QSize size, int framesPerSecond,
                         bool globalHeader) {
    const AVCodec* codec = avcodec_find_encoder(codecId);
    check(codec != nullptr, "no encoder");
    CodecContext context(avcodec_alloc_context3(codec));
    context->width = size.width();
    context->height = size.height();
    context->pix_fmt = format;
    context->time_base = AVRational{1, framesPerSecond};
    context->framerate = AVRational{framesPerSecond, 1};
    context->gop_size = 1;
    context->max_b_frames = 0;
    if (globalHeader) {
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    check(avcodec_open2(context.get(), codec, nullptr) >= 0, "cannot open encoder");
    return context;
}

Frame greyFrame(const AVCodecContext& context, int index) {
    Frame frame(av_frame_alloc());
    frame->format = context.pix_fmt;
    frame->width = context.width;
    frame->height = context.height;
    check(av_frame_get_buffer(frame.get(), 0) >= 0, "no frame buffer");
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? context.height : context.height / 2;
        const int value = plane == 0 ? (64 + index * 16) % 256 : 128;
        for (int row = 0; row < rows; ++row) {
            std::memset(frame->data[plane] + row * frame->linesize[plane], value,
                        static_cast<std::size_t>(frame->linesize[plane]));
        }
    }
    frame->pts = index;
    return frame;
}

// Red left of the middle and blue right of it, in BT.601 studio range.
Frame halvesFrame(const AVCodecContext& context, int index) {
    Frame frame = greyFrame(context, index);
    constexpr std::array<std::array<std::uint8_t, 3>, 2> sides{{{81, 90, 240}, {41, 240, 110}}};
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? context.height : context.height / 2;
        const int columns = plane == 0 ? context.width : context.width / 2;
        for (int row = 0; row < rows; ++row) {
            std::uint8_t* line = frame->data[plane] + row * frame->linesize[plane];
            std::memset(line, sides[0][plane], static_cast<std::size_t>(columns / 2));
            std::memset(line + columns / 2, sides[1][plane],
                        static_cast<std::size_t>(columns - columns / 2));
        }
    }
    return frame;
}

void setExif(Exiv2::ExifData& exif, std::uint16_t tag, const std::optional<std::string>& text) {
    if (text) {
        const Exiv2::AsciiValue value(*text);
        exif.add(Exiv2::ExifKey(tag, "Photo"), &value);
    }
}

QByteArray chunk(QByteArrayView type, const QByteArray& data) {
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(data.size()), bytes.data());
    const QByteArray typed = type.toByteArray() + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(typed), crc.data());
    return bytes + typed + crc;
}

QByteArray zlibStream(const QByteArray& data) {
    return qCompress(data).mid(4);
}

QByteArray textChunk(const PngTextChunk& text) {
    QByteArray data = text.keyword + '\0';
    if (text.type == "zTXt") {
        data += '\0' + zlibStream(text.text);
    } else if (text.type == "iTXt") {
        data += QByteArray(text.compressed ? "\1" : "\0", 1) + '\0' + "en" + '\0' + '\0';
        data += text.compressed ? zlibStream(text.text) : text.text;
    } else {
        data += text.text;
    }
    return chunk(text.type, data);
}

void writePackets(AVFormatContext* output, AVCodecContext* encoder, AVStream* stream,
                  const AVFrame* frame) {
    check(avcodec_send_frame(encoder, frame) >= 0, "cannot send frame");
    Packet packet(av_packet_alloc());
    while (avcodec_receive_packet(encoder, packet.get()) == 0) {
        packet->duration = 1;  // one frame, so the clip's length counts its last frame
        av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        check(av_interleaved_write_frame(output, packet.get()) >= 0, "cannot write packet");
    }
}

}  // namespace

QByteArray plainJpeg() {
    CodecContext encoder =
        openEncoder(AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P, QSize(16, 16), 25, false);
    const Frame frame = greyFrame(*encoder, 0);
    check(avcodec_send_frame(encoder.get(), frame.get()) >= 0, "cannot send JPEG frame");
    Packet packet(av_packet_alloc());
    check(avcodec_receive_packet(encoder.get(), packet.get()) == 0, "no JPEG packet");
    return QByteArray(reinterpret_cast<const char*>(packet->data), packet->size);
}

void addExif(const QString& path, const ExifDates& dates) {
    const Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    setExif(exif, 0x9003, dates.original);
    setExif(exif, 0x9011, dates.originalOffset);
    setExif(exif, 0x9291, dates.originalSubSecond);
    setExif(exif, 0x9004, dates.digitized);
    setExif(exif, 0x9012, dates.digitizedOffset);
    setExif(exif, 0x9292, dates.digitizedSubSecond);
    image->writeMetadata();
}

void setOrientation(const QString& path, int orientation) {
    const Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    image->readMetadata();
    image->exifData()["Exif.Image.Orientation"] = static_cast<std::uint16_t>(orientation);
    image->writeMetadata();
}

QByteArray encodeImage(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    check(writer.write(image), "cannot encode image");
    return bytes;
}

QImage photoLikeImage(QSize size, quint32 seed) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    const int width = size.width();
    const int height = size.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = static_cast<int>(random.bounded(24u));
            line[x] = qRgb((x * 255 / width + noise) % 256, (y * 255 / height + noise) % 256,
                           ((x + y) * 128 / (width + height) + 64 + noise) % 256);
        }
    }
    return image;
}

void writeJpeg(const QString& path, const ExifDates& dates) {
    writeFile(path, plainJpeg());
    addExif(path, dates);
}

quint32 crc32(QByteArrayView bytes) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> entries{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            }
            entries[n] = c;
        }
        return entries;
    }();
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc = table[(crc ^ static_cast<quint8>(byte)) & 0xff] ^ (crc >> 8);
    }
    return crc ^ 0xffffffffu;
}

QByteArray png(const QList<PngTextChunk>& chunks) {
    QByteArray bytes = QByteArrayLiteral("\x89PNG\r\n\x1a\n");
    // 1x1, 8-bit greyscale, deflate, no filter method, no interlace.
    bytes += chunk("IHDR", QByteArray::fromHex("00000001000000010800000000"));
    for (const PngTextChunk& text : chunks) {
        bytes += textChunk(text);
    }
    bytes += chunk("IDAT", zlibStream(QByteArray::fromHex("0080")));
    bytes += chunk("IEND", QByteArray());
    return bytes;
}

void writeVideo(const QString& path, const VideoClip& clip) {
    makeDirectories(path.left(path.lastIndexOf(u'/')));
    const bool quickTime = clip.quickTimeCreationDate.has_value();
    AVFormatContext* output = nullptr;
    const QByteArray encodedPath = QFile::encodeName(path);
    check(avformat_alloc_output_context2(&output, nullptr, quickTime ? "mov" : "mp4",
                                         encodedPath.constData()) >= 0,
          "no muxer");
    const std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> owner(output,
                                                                             avformat_free_context);
    CodecContext encoder = openEncoder(AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P,
                                       QSize(clip.width, clip.height), clip.framesPerSecond, true);
    AVStream* stream = avformat_new_stream(output, nullptr);
    check(avcodec_parameters_from_context(stream->codecpar, encoder.get()) >= 0, "no parameters");
    if (clip.clockwiseRotation != 0) {
        auto* matrix = reinterpret_cast<std::int32_t*>(
            av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t)));
        check(matrix != nullptr, "no display matrix");
        // The setter takes the clockwise angle, though the getter reports the counterclockwise
        // one: 90 here is the matrix a phone writes for a portrait clip (0 1 -1 0).
        av_display_rotation_set(matrix, clip.clockwiseRotation);
    }
    stream->time_base = encoder->time_base;
    AVDictionary* options = nullptr;
    if (clip.creationTime) {
        av_dict_set(&output->metadata, "creation_time", clip.creationTime->c_str(), 0);
    }
    if (quickTime) {
        av_dict_set(&output->metadata, "com.apple.quicktime.creationdate",
                    clip.quickTimeCreationDate->c_str(), 0);
        av_dict_set(&options, "movflags", "use_metadata_tags", 0);
    }
    check(avio_open(&output->pb, encodedPath.constData(), AVIO_FLAG_WRITE) >= 0, "cannot create");
    const int header = avformat_write_header(output, &options);
    av_dict_free(&options);
    check(header >= 0, "cannot write header");
    for (int index = 0; index < clip.frames; ++index) {
        const Frame frame =
            clip.redLeftBlueRight ? halvesFrame(*encoder, index) : greyFrame(*encoder, index);
        writePackets(output, encoder.get(), stream, frame.get());
    }
    writePackets(output, encoder.get(), stream, nullptr);
    check(av_write_trailer(output) >= 0, "cannot write trailer");
    avio_closep(&output->pb);
}

void writeAudio(const QString& path) {
    AVFormatContext* output = nullptr;
    const QByteArray encodedPath = QFile::encodeName(path);
    check(avformat_alloc_output_context2(&output, nullptr, "wav", encodedPath.constData()) >= 0,
          "no muxer");
    const std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> owner(output,
                                                                             avformat_free_context);
    AVStream* stream = avformat_new_stream(output, nullptr);
    stream->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    stream->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    stream->codecpar->sample_rate = 8000;
    av_channel_layout_default(&stream->codecpar->ch_layout, 1);
    stream->time_base = AVRational{1, 8000};
    check(avio_open(&output->pb, encodedPath.constData(), AVIO_FLAG_WRITE) >= 0, "cannot create");
    check(avformat_write_header(output, nullptr) >= 0, "cannot write header");
    Packet packet(av_packet_alloc());
    check(av_new_packet(packet.get(), 1600) >= 0, "no packet");
    std::memset(packet->data, 0, 1600);
    packet->pts = 0;
    packet->dts = 0;
    packet->duration = 800;
    check(av_interleaved_write_frame(output, packet.get()) >= 0, "cannot write packet");
    check(av_write_trailer(output) >= 0, "cannot write trailer");
    avio_closep(&output->pb);
}

}  // namespace lumivex::test
