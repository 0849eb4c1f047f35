#include "media/heif_layout.h"

#include "media/av1_picture_size.h"
#include "media/hevc_picture_size.h"
#include "media/photo_decoding.h"

#include <QtEndian>

#include <algorithm>
#include <limits>

namespace lumivex {

namespace {

// A file holding more boxes than this before its 'meta', or a 'meta' larger than this, is not
// one libheif would be asked to decode here.
constexpr int topLevelBoxLimit = 64;
constexpr qint64 metaSizeLimit = 16 * 1024 * 1024;
// Grid and overlay descriptors are at most 12 and 20 bytes long before their offsets.
constexpr qint64 descriptorLength = 20;
// Extents of one item; more is not a file worth decoding.
constexpr quint32 extentLimit = 1024;
// Derived images made of derived images, at most this deep.
constexpr int derivationDepthLimit = 8;
// NAL units of one extent, or OBUs of an item, looked at for parameter sets or sequence headers.
constexpr int unitScanLimit = 4096;
// An OBU header with its extension and longest size field.
constexpr qint64 obuHeaderLimit = 10;
constexpr quint64 maxOffset = quint64(std::numeric_limits<qint64>::max() / 2);

// Big-endian fields read one after another; reading past the end marks the reader failed and
// gives zeros from then on.
class Fields {
public:
    explicit Fields(QByteArrayView bytes) : bytes_(bytes) {}

    quint64 unsignedOf(int byteCount) {
        if (byteCount < 0 || position_ + byteCount > bytes_.size()) {
            failed_ = true;
            position_ = bytes_.size();
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < byteCount; ++i) {
            value = (value << 8) | static_cast<quint8>(bytes_[position_ + i]);
        }
        position_ += byteCount;
        return value;
    }
    quint32 u8() { return static_cast<quint32>(unsignedOf(1)); }
    quint32 u16() { return static_cast<quint32>(unsignedOf(2)); }
    quint32 u32() { return static_cast<quint32>(unsignedOf(4)); }
    QByteArray fourcc() {
        const qsizetype at = position_;
        unsignedOf(4);
        return failed_ ? QByteArray() : bytes_.sliced(at, 4).toByteArray();
    }
    void skip(qsizetype count) {
        failed_ = failed_ || count < 0 || count > bytes_.size() - position_;
        position_ = failed_ ? bytes_.size() : position_ + count;
    }
    bool failed() const { return failed_; }
    bool atEnd() const { return position_ >= bytes_.size(); }
    qsizetype position() const { return position_; }
    QByteArrayView rest() const { return bytes_.sliced(std::min(position_, bytes_.size())); }

private:
    QByteArrayView bytes_;
    qsizetype position_ = 0;
    bool failed_ = false;
};

// Calls `visit(type, body)` for each box in `bytes`; false when a box runs past the end.
template <typename Visit>
bool forEachBox(QByteArrayView bytes, Visit visit) {
    Fields fields(bytes);
    while (!fields.atEnd()) {
        const qsizetype start = fields.position();
        quint64 size = fields.u32();
        const QByteArray type = fields.fourcc();
        if (size == 1) {
            size = fields.unsignedOf(8);
        } else if (size == 0) {
            size = static_cast<quint64>(bytes.size() - start);
        }
        const qsizetype header = fields.position() - start;
        if (fields.failed() || size < static_cast<quint64>(header) ||
            size > static_cast<quint64>(bytes.size() - start)) {
            return false;
        }
        visit(type, bytes.sliced(start + header, static_cast<qsizetype>(size) - header));
        fields.skip(static_cast<qsizetype>(size) - header);
    }
    return true;
}

// The body of the file's top-level 'meta' box, version and flags included.
std::optional<QByteArray> metaBody(const HeifLayout::ReadAt& readAt) {
    qint64 offset = 0;
    for (int i = 0; i < topLevelBoxLimit; ++i) {
        const QByteArray head = readAt(offset, 16);
        Fields fields(head);
        quint64 size = fields.u32();
        const QByteArray type = fields.fourcc();
        if (size == 1) {
            size = fields.unsignedOf(8);
        }
        const auto header = static_cast<quint64>(fields.position());
        if (fields.failed() || size < header) {
            return std::nullopt;
        }
        if (type == "meta") {
            if (size > static_cast<quint64>(metaSizeLimit)) {
                return std::nullopt;
            }
            const auto length = static_cast<qint64>(size - header);
            QByteArray body = readAt(offset + static_cast<qint64>(header), length);
            return body.size() == length ? std::optional(body) : std::nullopt;
        }
        if (size == 0 || size > static_cast<quint64>(std::numeric_limits<qint64>::max() - offset)) {
            return std::nullopt;
        }
        offset += static_cast<qint64>(size);
    }
    return std::nullopt;
}

}  // namespace

std::optional<HeifLayout> HeifLayout::read(const ReadAt& readAt) {
    const std::optional<QByteArray> meta = metaBody(readAt);
    HeifLayout layout(readAt);
    if (!meta || !layout.readMeta(*meta)) {
        return std::nullopt;
    }
    return layout;
}

bool HeifLayout::readMeta(const QByteArray& meta) {
    bool located = true;
    const bool whole =
        meta.size() >= 4 && forEachBox(QByteArrayView(meta).sliced(4),
                                       [&](const QByteArray& type, QByteArrayView body) {
                                           if (type == "iinf") {
                                               readItemInfos(body.toByteArray());
                                           } else if (type == "iloc") {
                                               located = readLocations(body.toByteArray());
                                           } else if (type == "iprp") {
                                               readProperties(body.toByteArray());
                                           } else if (type == "iref") {
                                               readReferences(body.toByteArray());
                                           } else if (type == "idat") {
                                               idat_ = body.toByteArray();
                                           }
                                       });
    return whole && located;
}

void HeifLayout::readItemInfos(const QByteArray& box) {
    Fields fields(box);
    const quint32 version = fields.u8();
    fields.unsignedOf(3);
    fields.unsignedOf(version == 0 ? 2 : 4);
    forEachBox(fields.rest(), [&](const QByteArray& type, QByteArrayView body) {
        Fields entry(body);
        const quint32 entryVersion = entry.u8();
        entry.unsignedOf(3);
        if (type != "infe" || entryVersion < 2) {
            return;
        }
        const auto id = static_cast<std::uint32_t>(entry.unsignedOf(entryVersion == 2 ? 2 : 4));
        entry.u16();
        const QByteArray itemType = entry.fourcc();
        if (!entry.failed()) {
            items_[id].type = itemType;
        }
    });
}

bool HeifLayout::readLocations(const QByteArray& box) {
    Fields fields(box);
    const quint32 version = fields.u8();
    fields.unsignedOf(3);
    const quint32 sizes = fields.u16();
    const int offsetSize = static_cast<int>(sizes >> 12);
    const int lengthSize = static_cast<int>((sizes >> 8) & 15);
    const int baseSize = static_cast<int>((sizes >> 4) & 15);
    const int indexSize = version >= 1 ? static_cast<int>(sizes & 15) : 0;
    const quint32 count = version < 2 ? fields.u16() : fields.u32();
    for (quint32 i = 0; i < count && !fields.failed(); ++i) {
        const auto id = static_cast<std::uint32_t>(version < 2 ? fields.u16() : fields.u32());
        const int construction = version >= 1 ? static_cast<int>(fields.u16() & 15) : 0;
        fields.u16();
        const quint64 base = fields.unsignedOf(baseSize);
        const quint32 extentCount = fields.u16();
        if (extentCount > extentLimit) {
            return false;
        }
        Item& item = items_[id];
        item.construction = construction;
        item.extents.clear();
        for (quint32 e = 0; e < extentCount && !fields.failed(); ++e) {
            fields.unsignedOf(indexSize);
            const quint64 offset = fields.unsignedOf(offsetSize);
            item.extents.push_back({base + offset, fields.unsignedOf(lengthSize)});
        }
    }
    return !fields.failed();
}

void HeifLayout::readProperties(const QByteArray& box) {
    std::vector<std::pair<QByteArray, QByteArray>> properties;
    forEachBox(box, [&](const QByteArray& type, QByteArrayView body) {
        if (type == "ipco") {
            forEachBox(body, [&](const QByteArray& propertyType, QByteArrayView property) {
                properties.emplace_back(propertyType, property.toByteArray());
            });
            return;
        }
        if (type != "ipma") {
            return;
        }
        Fields fields(body);
        const quint32 version = fields.u8();
        const bool wideIndex = (fields.unsignedOf(3) & 1) != 0;
        const quint32 count = fields.u32();
        for (quint32 i = 0; i < count && !fields.failed(); ++i) {
            const auto id = static_cast<std::uint32_t>(version < 1 ? fields.u16() : fields.u32());
            const quint32 associations = fields.u8();
            for (quint32 a = 0; a < associations && !fields.failed(); ++a) {
                const quint32 index = wideIndex ? fields.u16() & 0x7fff : fields.u8() & 0x7f;
                if (index == 0 || index > properties.size()) {
                    continue;
                }
                const auto& [propertyType, property] = properties[index - 1];
                if (propertyType == "ispe" && property.size() >= 12) {
                    Fields size(property);
                    size.u32();
                    const quint32 width = size.u32();
                    const quint32 height = size.u32();
                    items_[id].declared = QSize(static_cast<int>(std::min(width, 65536u)),
                                                static_cast<int>(std::min(height, 65536u)));
                } else if (propertyType == "hvcC" || propertyType == "av1C") {
                    items_[id].decoderConfig = property;
                }
            }
        }
    });
}

void HeifLayout::readReferences(const QByteArray& box) {
    Fields fields(box);
    const quint32 version = fields.u8();
    fields.unsignedOf(3);
    const int idSize = version == 0 ? 2 : 4;
    forEachBox(fields.rest(), [&](const QByteArray& type, QByteArrayView body) {
        Fields reference(body);
        const auto from = static_cast<std::uint32_t>(reference.unsignedOf(idSize));
        const quint32 count = reference.u16();
        for (quint32 i = 0; i < count && !reference.failed(); ++i) {
            const auto to = static_cast<std::uint32_t>(reference.unsignedOf(idSize));
            if (reference.failed()) {
                break;
            }
            if (type == "dimg") {
                inputs_.emplace(from, to);
            } else if (type == "auxl") {
                auxiliary_.emplace(to, from);
            }
        }
    });
}

// Up to `length` bytes of the item's data from `from`, its extents taken one after another.
QByteArray HeifLayout::itemData(const Item& item, quint64 from, qint64 length) const {
    QByteArray data;
    quint64 start = 0;  // where the extent begins within the item's data
    for (const Extent& extent : item.extents) {
        if (data.size() >= length) {
            break;
        }
        const quint64 end = start + std::min(extent.length, quint64(-1) - start);
        if (from < end) {
            const quint64 within = from > start ? from - start : 0;
            if (extent.offset > maxOffset || within > maxOffset - extent.offset) {
                break;
            }
            const auto offset = static_cast<qint64>(extent.offset + within);
            const qint64 wanted = std::min<quint64>(end - start - within, length - data.size());
            if (item.construction == 0) {
                data += readAt_(offset, wanted);
            } else if (item.construction == 1 && offset < idat_.size()) {
                data += idat_.mid(offset, wanted);
            }
        }
        start = end;
    }
    return data;
}

// A grid's or overlay's output size from its descriptor, else the declared size.
std::optional<QSize> HeifLayout::outputSize(const Item& item) const {
    if (item.type != "grid" && item.type != "iovl") {
        return item.declared;
    }
    const QByteArray descriptor = itemData(item, 0, descriptorLength);
    Fields fields(descriptor);
    fields.u8();
    const bool wide = (fields.u8() & 1) != 0;
    fields.unsignedOf(item.type == "grid" ? 2 : 8);  // rows and columns, or the canvas colour
    const quint64 width = fields.unsignedOf(wide ? 4 : 2);
    const quint64 height = fields.unsignedOf(wide ? 4 : 2);
    if (fields.failed()) {
        return std::nullopt;
    }
    return QSize(static_cast<int>(std::min<quint64>(width, 65536)),
                 static_cast<int>(std::min<quint64>(height, 65536)));
}

// The decoder takes the configuration's parameter sets and then the item's data, whose sequence
// parameter sets (read here by their headers, without the slices between them) replace them.
bool HeifLayout::codedSizesFit(const Item& item) const {
    const std::optional<HevcPictureSize::DecoderConfig> config =
        HevcPictureSize::readConfig(item.decoderConfig);
    if (!config) {
        return false;
    }
    std::vector<QByteArray> sets = config->units;
    for (const Extent& extent : item.construction == 0 ? item.extents : std::vector<Extent>{}) {
        quint64 position = 0;
        for (int unit = 0; unit < unitScanLimit && position < extent.length; ++unit) {
            const auto at = static_cast<qint64>(std::min(extent.offset + position, maxOffset));
            const QByteArray head = readAt_(at, config->lengthSize + 2);
            Fields fields(head);
            const quint64 length = fields.unsignedOf(config->lengthSize);
            if (fields.failed()) {
                break;
            }
            if (HevcPictureSize::isSequenceParameterSet(fields.rest())) {
                sets.push_back(readAt_(at + config->lengthSize,
                                       static_cast<qint64>(std::min<quint64>(length, 4096))));
            }
            position += static_cast<quint64>(config->lengthSize) + length;
        }
    }
    for (const QByteArray& set : sets) {
        const std::optional<QSize> size = HevcPictureSize::ofSequenceParameterSet(set);
        if (size && !withinImageLimit(size->width(), size->height(), 4)) {
            return false;
        }
    }
    return true;
}

// The decoder takes the configuration's OBUs and then the item's data, whose sequence headers
// (read here by their OBU headers, without the frames between them) replace them.
bool HeifLayout::av1SizesFit(const Item& item) const {
    std::optional<std::vector<QByteArray>> headers =
        Av1PictureSize::configSequenceHeaders(item.decoderConfig);
    if (!headers) {
        return false;
    }
    quint64 dataLength = 0;
    for (const Extent& extent : item.extents) {
        dataLength += std::min(extent.length, quint64(-1) - dataLength);
    }
    quint64 position = 0;
    for (int unit = 0; unit < unitScanLimit && position < dataLength; ++unit) {
        const std::optional<Av1PictureSize::ObuHeader> header = Av1PictureSize::readHeader(
            itemData(item, position, obuHeaderLimit), dataLength - position);
        if (!header) {
            break;
        }
        if (Av1PictureSize::isSequenceHeader(*header)) {
            headers->push_back(itemData(item, position + quint64(header->length),
                                        qint64(std::min<quint64>(header->payloadLength, 4096))));
        }
        position += std::min(quint64(header->length) + header->payloadLength, dataLength);
    }
    return std::all_of(headers->begin(), headers->end(), [](const QByteArray& payload) {
        const std::optional<QSize> size = Av1PictureSize::ofSequenceHeader(payload);
        return !size || withinImageLimit(size->width(), size->height(), 4);
    });
}

bool HeifLayout::itemFits(std::uint32_t id, int depth, std::set<std::uint32_t>& checked) const {
    if (depth > derivationDepthLimit) {
        return false;
    }
    if (!checked.insert(id).second) {
        return true;
    }
    const auto found = items_.find(id);
    if (found == items_.end()) {
        return false;
    }
    const Item& item = found->second;
    if (item.type != "iden") {
        const std::optional<QSize> size = outputSize(item);
        if (!size || !withinImageLimit(size->width(), size->height(), 4)) {
            return false;
        }
    }
    if ((item.type == "hvc1" && !codedSizesFit(item)) ||
        (item.type == "av01" && !av1SizesFit(item))) {
        return false;
    }
    for (const auto& references : {inputs_.equal_range(id), auxiliary_.equal_range(id)}) {
        for (auto it = references.first; it != references.second; ++it) {
            if (!itemFits(it->second, depth + 1, checked)) {
                return false;
            }
        }
    }
    return true;
}

bool HeifLayout::decodeFits(std::uint32_t id) const {
    std::set<std::uint32_t> checked;
    return itemFits(id, 0, checked);
}

}  // namespace lumivex
