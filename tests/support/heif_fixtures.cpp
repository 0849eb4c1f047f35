#include "support/heif_fixtures.h"

#include <libheif/heif.h>
#include <exiv2/exiv2.hpp>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace lumivex::test {

namespace {

void check(heif_error error, const char* what) {
    if (error.code != heif_error_Ok) {
        throw std::runtime_error(std::string("heif fixture: ") + what + ": " + error.message);
    }
}

heif_error append(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data),
                                               static_cast<qsizetype>(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

std::unique_ptr<heif_image, void (*)(const heif_image*)> heifImage(const QImage& source) {
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    heif_image* image = nullptr;
    check(heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                            heif_chroma_interleaved_RGB, &image),
          "create image");
    std::unique_ptr<heif_image, void (*)(const heif_image*)> owned(image, heif_image_release);
    check(heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8),
          "add plane");
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y) {
        std::memcpy(plane + y * stride, rgb.constScanLine(y), static_cast<size_t>(rgb.width() * 3));
    }
    return owned;
}

}  // namespace

bool canEncodeHeif(bool av1) {
    return heif_have_encoder_for_format(av1 ? heif_compression_AV1 : heif_compression_HEVC) != 0;
}

QByteArray heif(const HeifPicture& picture) {
    std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                   heif_context_free);
    heif_encoder* rawEncoder = nullptr;
    check(
        heif_context_get_encoder_for_format(
            context.get(), picture.av1 ? heif_compression_AV1 : heif_compression_HEVC, &rawEncoder),
        "encoder");
    std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> encoder(rawEncoder,
                                                                   heif_encoder_release);
    check(heif_encoder_set_lossy_quality(encoder.get(), 90), "quality");
    const auto image = heifImage(picture.image);
    std::unique_ptr<heif_encoding_options, void (*)(heif_encoding_options*)> options(
        heif_encoding_options_alloc(), heif_encoding_options_free);
    options->image_orientation = static_cast<heif_orientation>(picture.orientation);
    heif_image_handle* handle = nullptr;
    check(heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(),
                                    &handle),
          "encode");
    std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> primary(
        handle, heif_image_handle_release);
    if (picture.thumbnailSize > 0) {
        heif_image_handle* thumbnail = nullptr;
        check(
            heif_context_encode_thumbnail(context.get(), image.get(), primary.get(), encoder.get(),
                                          options.get(), picture.thumbnailSize, &thumbnail),
            "thumbnail");
        heif_image_handle_release(thumbnail);
    }
    if (!picture.exif.isEmpty()) {
        check(heif_context_add_exif_metadata(context.get(), primary.get(), picture.exif.constData(),
                                             static_cast<int>(picture.exif.size())),
              "exif");
    }
    QByteArray bytes;
    heif_writer writer{1, append};
    check(heif_context_write(context.get(), &writer, &bytes), "write");
    return bytes;
}

QByteArray exifBlock(const std::string& original, const std::string& offset) {
    Exiv2::ExifData exif;
    exif["Exif.Photo.DateTimeOriginal"] = original;
    if (!offset.empty()) {
        exif["Exif.Photo.OffsetTimeOriginal"] = offset;
    }
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return QByteArray(reinterpret_cast<const char*>(blob.data()),
                      static_cast<qsizetype>(blob.size()));
}

}  // namespace lumivex::test
