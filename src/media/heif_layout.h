#pragma once

#include <QByteArray>
#include <QSize>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace lumivex {

// The image items of a HEIF file as its boxes declare them, read without decoding anything, so
// that what a decode would allocate can be judged before libheif is asked to decode: each item's
// declared size, a grid's or overlay's own output size (which may differ from the declared one),
// the tiles and alpha planes libheif decodes with an item, and the picture size in an HEVC item's
// parameter sets or an AV1 item's sequence headers. On whichever thread calls.
class HeifLayout {
public:
    // Up to `length` bytes of the file from `offset`; fewer at its end.
    using ReadAt = std::function<QByteArray(qint64 offset, qint64 length)>;

    // The file's layout; none when its boxes cannot be read.
    static std::optional<HeifLayout> read(const ReadAt& readAt);

    // Whether every picture libheif makes to decode item `id` fits the allocation limit
    // (withinImageLimit): the item's own, its tiles' or layers', its alpha planes'. An item whose
    // size cannot be told does not fit.
    bool decodeFits(std::uint32_t id) const;

private:
    struct Extent {
        quint64 offset = 0;
        quint64 length = 0;
    };
    struct Item {
        QByteArray type;
        std::optional<QSize> declared;  // from 'ispe', before rotation
        QByteArray decoderConfig;       // the 'hvcC' or 'av1C' body
        int construction = -1;          // where its data lies: 0 in the file, 1 in 'idat'
        std::vector<Extent> extents;
    };

    explicit HeifLayout(ReadAt readAt) : readAt_(std::move(readAt)) {}
    bool readMeta(const QByteArray& meta);
    void readItemInfos(const QByteArray& box);
    bool readLocations(const QByteArray& box);
    void readProperties(const QByteArray& box);
    void readReferences(const QByteArray& box);
    QByteArray itemData(const Item& item, quint64 from, qint64 length) const;
    std::optional<QSize> outputSize(const Item& item) const;
    bool codedSizesFit(const Item& item) const;
    bool av1SizesFit(const Item& item) const;
    bool itemFits(std::uint32_t id, int depth, std::set<std::uint32_t>& checked) const;

    ReadAt readAt_;
    QByteArray idat_;
    std::map<std::uint32_t, Item> items_;
    std::multimap<std::uint32_t, std::uint32_t> inputs_;     // 'dimg': derived item to inputs
    std::multimap<std::uint32_t, std::uint32_t> auxiliary_;  // 'auxl': master to auxiliary
};

}  // namespace lumivex
