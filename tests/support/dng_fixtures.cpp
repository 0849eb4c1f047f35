#include "support/dng_fixtures.h"

#include "support/media_fixtures.h"

#include <QList>
#include <QtEndian>

#include <algorithm>

namespace lumivex::test {

namespace {

enum Type : quint16 {
    byte = 1,
    ascii = 2,
    shortType = 3,
    longType = 4,
    rational = 5,
    srational = 10
};

struct Entry {
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray data;  // little-endian values
};

QByteArray le16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}
QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

Entry shorts(quint16 tag, std::initializer_list<quint16> values) {
    QByteArray data;
    for (const quint16 value : values) {
        data += le16(value);
    }
    return {tag, shortType, static_cast<quint32>(values.size()), data};
}
Entry longs(quint16 tag, quint32 value) {
    return {tag, longType, 1, le32(value)};
}
Entry text(quint16 tag, const std::string& value) {
    const QByteArray data = QByteArray::fromStdString(value) + '\0';
    return {tag, ascii, static_cast<quint32>(data.size()), data};
}
Entry bytes(quint16 tag, std::initializer_list<quint8> values) {
    QByteArray data;
    for (const quint8 value : values) {
        data += static_cast<char>(value);
    }
    return {tag, byte, static_cast<quint32>(values.size()), data};
}
Entry fractions(quint16 tag, quint16 type, std::initializer_list<qint32> numerators) {
    QByteArray data;
    for (const qint32 numerator : numerators) {
        data += le32(static_cast<quint32>(numerator)) + le32(10000);
    }
    return {tag, type, static_cast<quint32>(numerators.size()), data};
}

quint32 overflow(const Entry& entry) {
    return entry.data.size() > 4 ? static_cast<quint32>((entry.data.size() + 1) & ~1) : 0;
}

quint32 ifdSize(const QList<Entry>& ifd) {
    quint32 size = 2 + 12 * static_cast<quint32>(ifd.size()) + 4;
    for (const Entry& entry : ifd) {
        size += overflow(entry);
    }
    return size;
}

// One directory at `offset`: entries sorted by tag, then the values that do not fit in them.
QByteArray serialize(QList<Entry> ifd, quint32 offset) {
    std::sort(ifd.begin(), ifd.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    QByteArray table = le16(static_cast<quint16>(ifd.size()));
    QByteArray extra;
    quint32 extraOffset = offset + 2 + 12 * static_cast<quint32>(ifd.size()) + 4;
    for (const Entry& entry : ifd) {
        table += le16(entry.tag) + le16(entry.type) + le32(entry.count);
        if (entry.data.size() > 4) {
            table += le32(extraOffset + static_cast<quint32>(extra.size()));
            extra += entry.data;
            if (extra.size() % 2 != 0) {
                extra += '\0';
            }
        } else {
            table += entry.data + QByteArray(4 - entry.data.size(), '\0');
        }
    }
    return table + le32(0) + extra;
}

// Bright on the left half, dark on the right, in every colour.
QByteArray mosaic(QSize size, int samples) {
    QByteArray data(qsizetype(size.width()) * size.height() * samples * 2, Qt::Uninitialized);
    char* sample = data.data();
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width() * samples; ++x, sample += 2) {
            qToLittleEndian<quint16>(x < size.width() * samples / 2 ? 50000 : 2000, sample);
        }
    }
    return data;
}

QList<Entry> rawIfd(QSize sensor, bool linear, quint32 dataOffset, quint32 dataSize) {
    const auto width = static_cast<quint32>(sensor.width());
    const auto height = static_cast<quint32>(sensor.height());
    QList<Entry> entries = {longs(254, 0),        longs(256, width),  longs(257, height),
                            shorts(259, {1}),     longs(278, height), longs(273, dataOffset),
                            longs(279, dataSize), longs(50717, 65535)};
    if (linear) {
        entries += {shorts(258, {16, 16, 16}), shorts(262, {34892}), shorts(277, {3})};
    } else {
        entries += {shorts(258, {16}), shorts(262, {32803}), shorts(277, {1}),
                    shorts(33421, {2, 2}), bytes(33422, {0, 1, 1, 2})};
    }
    return entries;
}

}  // namespace

QByteArray dng(const DngPicture& picture) {
    const QByteArray jpeg =
        picture.preview.isNull() ? QByteArray() : encodeImage(picture.preview, "jpeg", 90);
    const QByteArray raw = mosaic(picture.sensor, picture.linear ? 3 : 1);
    // Header, then the JPEG and the mosaic, then the directories.
    const quint32 jpegOffset = 8;
    const quint32 rawOffset = jpegOffset + static_cast<quint32>((jpeg.size() + 1) & ~1);
    const quint32 ifd0Offset = rawOffset + static_cast<quint32>(raw.size());

    QList<Entry> exif;
    if (picture.original) {
        exif += text(36867, *picture.original);
    }
    if (picture.originalOffset) {
        exif += text(36881, *picture.originalOffset);
    }
    QList<Entry> sub =
        rawIfd(picture.sensor, picture.linear, rawOffset, static_cast<quint32>(raw.size()));

    QList<Entry> ifd0 = {shorts(274, {static_cast<quint16>(picture.orientation)}),
                         text(271, "Lumivex"),
                         text(272, "Test Camera"),
                         bytes(50706, {1, 4, 0, 0}),
                         text(50708, "Lumivex Test Camera"),
                         fractions(50721, srational, {10000, 0, 0, 0, 10000, 0, 0, 0, 10000}),
                         fractions(50728, rational, {10000, 10000, 10000}),
                         longs(34665, 0)};
    if (!jpeg.isEmpty()) {
        const QImage& preview = picture.preview;
        ifd0 += {longs(254, 1),
                 longs(256, static_cast<quint32>(preview.width())),
                 longs(257, static_cast<quint32>(preview.height())),
                 shorts(258, {8, 8, 8}),
                 shorts(259, {7}),
                 shorts(262, {6}),
                 longs(273, jpegOffset),
                 shorts(277, {3}),
                 longs(278, static_cast<quint32>(preview.height())),
                 longs(279, static_cast<quint32>(jpeg.size())),
                 longs(330, 0)};
    } else {
        ifd0 += sub;  // no preview: the mosaic is the main image
    }
    const quint32 exifOffset = ifd0Offset + ifdSize(ifd0);
    const quint32 subOffset = exifOffset + ifdSize(exif);
    for (Entry& entry : ifd0) {
        if (entry.tag == 34665) {
            entry.data = le32(exifOffset);
        } else if (entry.tag == 330) {
            entry.data = le32(subOffset);
        }
    }
    QByteArray file = QByteArrayLiteral("II*\0") + le32(ifd0Offset);
    file += jpeg + QByteArray(static_cast<qsizetype>(rawOffset - jpegOffset) - jpeg.size(), '\0');
    file += raw;
    file += serialize(ifd0, ifd0Offset);
    file += serialize(exif, exifOffset);
    if (!jpeg.isEmpty()) {
        file += serialize(sub, subOffset);
    }
    return file;
}

}  // namespace lumivex::test
