#pragma once

#include "model/labels.h"
#include "platform/date.h"

#include <QString>
#include <QStringView>
#include <QUuid>

#include <cstdint>
#include <optional>

namespace lumivex {

enum class MediaKind { photo, video };

QString rawValue(MediaKind kind);
std::optional<MediaKind> mediaKindFromRaw(QStringView raw);

// One photo or video of a library.
struct MediaItem {
    QUuid id;
    QString filename;  // relative to the library root, "/" between components
    QString fileIdentity;
    MediaKind kind = MediaKind::photo;
    bool available = true;  // beside `kind`, so that the two share one word of the item
    std::int64_t size = 0;
    Date modified;
    Date added;
    std::optional<double> duration;
    std::optional<Date> capturedAt;
    std::int64_t rating = 0;
    Labels labels;
    QString notes;

    // "m:ss" or "h:mm:ss"; "사진" or "—" when there is no usable length.
    QString durationText() const;
    // The folder key: the file name without its last component, "" in the root.
    QString folder() const;
    // Whether every value list is empty (no entries at all counts): the browser's "unclassified".
    // Ratings are not property values.
    bool isUnclassified() const;

    bool operator==(const MediaItem&) const = default;
};

}  // namespace lumivex
