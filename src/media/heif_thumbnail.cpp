#include "media/heif_thumbnail.h"

#include "media/heif_layout.h"

#include <QFile>

#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace lumivex::HeifThumbnail {

namespace {

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(const heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(const heif_image* image) const { heif_image_release(image); }
};
using Context = std::unique_ptr<heif_context, ContextDeleter>;
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;
using Image = std::unique_ptr<heif_image, ImageDeleter>;

// An image handle and the item it shows.
struct Chosen {
    Handle handle;
    heif_item_id id = 0;
};

// The size libheif reports for a handle is the one shown, rotation applied.
constexpr int codingBlockSlack = 128;

QSize shownSize(const heif_image_handle* handle) {
    return {heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)};
}

// The smallest thumbnail that covers `wanted`, or none.
Chosen thumbnailCovering(const heif_image_handle* primary, QSize wanted) {
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0) {
        return {};
    }
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    Chosen best;
    for (const heif_item_id id : ids) {
        heif_image_handle* candidate = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &candidate).code != heif_error_Ok) {
            continue;
        }
        Handle owned(candidate);
        const QSize size = shownSize(candidate);
        // One pixel short is rounding, not a smaller picture.
        const bool covers =
            size.width() + 1 >= wanted.width() && size.height() + 1 >= wanted.height();
        if (covers && (!best.handle || size.width() < shownSize(best.handle.get()).width())) {
            best = {std::move(owned), id};
        }
    }
    return best;
}

QImage pixels(const heif_image_handle* handle) {
    const QSize declared = shownSize(handle);
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    if (!withinImageLimit(declared.width(), declared.height(), 4)) {
        return {};
    }
    // Ten- and twelve-bit pictures come out at eight bits, as QImage holds them.
    const std::unique_ptr<heif_decoding_options, void (*)(heif_decoding_options*)> options(
        heif_decoding_options_alloc(), heif_decoding_options_free);
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    if (heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get())
            .code != heif_error_Ok) {
        return {};
    }
    const Image image(decoded);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const uint8_t* data = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (data == nullptr || width <= 0 || height <= 0 ||
        heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8) {
        return {};
    }
    const QImage view(data, width, height, stride,
                      alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    return view.copy();  // the view borrows libheif's buffer, released on return
}

PhotoDecoding decodeRead(const Context& context, const HeifLayout::ReadAt& readAt, int size,
                         const std::atomic<bool>& cancelled, ThumbnailScaling scaling) {
    // The tiles of a phone photo decode on the calling thread: the thumbnail pool's three threads
    // are the whole budget, and the grid keeps all of them busy with other files.
    heif_context_set_max_decoding_threads(context.get(), 0);
    heif_image_handle* primaryHandle = nullptr;
    heif_item_id primaryId = 0;
    if (heif_context_get_primary_image_handle(context.get(), &primaryHandle).code !=
            heif_error_Ok ||
        heif_context_get_primary_image_ID(context.get(), &primaryId).code != heif_error_Ok) {
        return {};
    }
    const Handle primary(primaryHandle);
    const QSize wanted = reducedSize(shownSize(primary.get()), size, scaling);
    const Chosen thumbnail = thumbnailCovering(primary.get(), wanted);
    if (cancelled.load()) {
        return {};
    }
    const heif_image_handle* chosen = thumbnail.handle ? thumbnail.handle.get() : primary.get();
    // A damaged or hostile file can decode far larger than the size it declares: a grid's or an
    // overlay's output size is its own, and the parameter sets of the coded data have theirs.
    // What libheif would allocate is judged from the boxes first; as a second guard, libheif
    // refuses anything wider or taller than declared, with room for coding blocks.
    const std::optional<HeifLayout> layout = HeifLayout::read(readAt);
    if (!layout || !layout->decodeFits(thumbnail.handle ? thumbnail.id : primaryId)) {
        return {};
    }
    const QSize declared = shownSize(chosen);
    heif_context_set_maximum_image_size_limit(
        context.get(), std::max(declared.width(), declared.height()) + codingBlockSlack);
    QImage image = pixels(chosen);
    if (image.isNull() || cancelled.load()) {
        return {};
    }
    const QSize shown = reducedSize(image.size(), size, scaling);
    if (shown != image.size()) {
        image = image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return {image, thumbnail.handle ? DecodeRoute::embeddedPreview : DecodeRoute::wholeImage};
}

}  // namespace

PhotoDecoding decode(const QString& path, int size, const std::atomic<bool>& cancelled,
                     ThumbnailScaling scaling) {
    if (size <= 0 || cancelled.load()) {
        return {};
    }
    // The layout is read a few bytes here and there: without a buffer, only those are read.
    QFile file(path);
    const Context context(heif_context_alloc());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !context ||
        heif_context_read_from_file(context.get(), QFile::encodeName(path).constData(), nullptr)
                .code != heif_error_Ok) {
        return {};
    }
    const auto readAt = [&file](qint64 offset, qint64 length) {
        if (offset < 0 || length <= 0 || offset >= file.size() || !file.seek(offset)) {
            return QByteArray();
        }
        return file.read(std::min(length, file.size() - offset));
    };
    return decodeRead(context, readAt, size, cancelled, scaling);
}

PhotoDecoding decodeBytes(QByteArrayView bytes, int size, const std::atomic<bool>& cancelled,
                          ThumbnailScaling scaling) {
    if (size <= 0 || cancelled.load()) {
        return {};
    }
    const Context context(heif_context_alloc());
    if (!context || heif_context_read_from_memory_without_copy(
                        context.get(), bytes.data(), static_cast<size_t>(bytes.size()), nullptr)
                            .code != heif_error_Ok) {
        return {};
    }
    const auto readAt = [bytes](qint64 offset, qint64 length) {
        if (offset < 0 || length <= 0 || offset >= bytes.size()) {
            return QByteArray();
        }
        return bytes.sliced(offset, std::min(length, bytes.size() - offset)).toByteArray();
    };
    return decodeRead(context, readAt, size, cancelled, scaling);
}

}  // namespace lumivex::HeifThumbnail
