#include "model/heif_container.h"

#include "platform/error.h"
#include "platform/read_only_file.h"

#include <QtEndian>

#include <libheif/heif.h>

#include <memory>

namespace lumivex::HeifContainer {

namespace {

// libheif's view of an open file: it reads through the same descriptor as the other readers.
struct Cursor {
    const ReadOnlyFile* file = nullptr;
    std::int64_t position = 0;
    std::int64_t size = 0;
};

int64_t position(void* cursor) {
    return static_cast<Cursor*>(cursor)->position;
}

int readInto(void* data, size_t size, void* userdata) {
    auto* cursor = static_cast<Cursor*>(userdata);
    try {
        const auto count = static_cast<std::int64_t>(size);
        if (cursor->file->read(cursor->position, static_cast<char*>(data), count) != count) {
            return 1;
        }
        cursor->position += count;
        return 0;
    } catch (const Error&) {
        return 1;
    }
}

int seekTo(int64_t target, void* cursor) {
    static_cast<Cursor*>(cursor)->position = target;
    return 0;
}

heif_reader_grow_status waitForSize(int64_t target, void* cursor) {
    return target <= static_cast<Cursor*>(cursor)->size ? heif_reader_grow_status_size_reached
                                                        : heif_reader_grow_status_size_beyond_eof;
}

const heif_reader fileReader{1, position, readInto, seekTo, waitForSize};

// The block as stored starts with the distance from its end to the TIFF header.
std::optional<QByteArray> tiffPart(const QByteArray& block) {
    if (block.size() < 4) {
        return std::nullopt;
    }
    const quint32 skip = qFromBigEndian<quint32>(block.constData());
    if (skip > static_cast<quint32>(block.size() - 4)) {
        return std::nullopt;
    }
    return block.mid(4 + static_cast<qsizetype>(skip));
}

}  // namespace

bool recognizes(QByteArrayView head) {
    if (head.size() < 12) {
        return false;
    }
    return heif_check_filetype(reinterpret_cast<const uint8_t*>(head.data()),
                               static_cast<int>(head.size())) == heif_filetype_yes_supported;
}

std::optional<QByteArray> exif(const ReadOnlyFile& file) {
    Cursor cursor{&file, 0, 0};
    try {
        cursor.size = file.size();
    } catch (const Error&) {
        return std::nullopt;
    }
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    heif_image_handle* primary = nullptr;
    if (heif_context_read_from_reader(context.get(), &fileReader, &cursor, nullptr).code !=
            heif_error_Ok ||
        heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok) {
        return std::nullopt;
    }
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> handle(
        primary, heif_image_handle_release);
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(primary, "Exif", &id, 1) < 1) {
        return std::nullopt;
    }
    const size_t size = heif_image_handle_get_metadata_size(primary, id);
    if (size == 0 || size > static_cast<size_t>(cursor.size)) {
        return std::nullopt;
    }
    QByteArray block(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (heif_image_handle_get_metadata(primary, id, block.data()).code != heif_error_Ok) {
        return std::nullopt;
    }
    return tiffPart(block);
}

}  // namespace lumivex::HeifContainer
