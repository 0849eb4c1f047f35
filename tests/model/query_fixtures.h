#pragma once

#include "model/library.h"

#include <QUuid>

#include <optional>

// Small item builders for the browsing tests.
namespace lumivex::test {

inline MediaItem photo(const QString& filename) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = filename;
    item.fileIdentity = QStringLiteral("1:") + filename;
    item.kind = MediaKind::photo;
    return item;
}

inline MediaItem video(const QString& filename, std::optional<double> duration) {
    MediaItem item = photo(filename);
    item.kind = MediaKind::video;
    item.duration = duration;
    return item;
}

// `Items` is any list of MediaItem.
template <typename Items>
QStringList filenames(const Items& items) {
    QStringList names;
    for (const MediaItem& item : items) {
        names.append(item.filename);
    }
    return names;
}

}  // namespace lumivex::test
