#include "inspector/storage_locations.h"

#include "model/media_items.h"
#include "platform/text_order.h"

#include <QHash>

#include <algorithm>

namespace lumivex::StorageLocations {

// Items of one folder mostly stand together in browse order: a run of them is counted by
// comparing names, and only each run is looked up.
QList<Folder> folders(const MediaItems& selected) {
    QHash<QString, int> counts;
    QStringView run;
    int length = 0;
    for (const MediaItem& item : selected) {
        const qsizetype slash = item.filename.lastIndexOf(u'/');
        const QStringView folder =
            slash < 0 ? QStringView() : QStringView(item.filename).left(slash);
        if (length > 0 && folder == run) {
            ++length;
            continue;
        }
        if (length > 0) {
            counts[run.toString()] += length;
        }
        run = folder;
        length = 1;
    }
    if (length > 0) {
        counts[run.toString()] += length;
    }
    QList<Folder> result;
    result.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        result.append({it.key(), it.value()});
    }
    std::sort(result.begin(), result.end(), [](const Folder& a, const Folder& b) {
        if (a.path.isEmpty() || b.path.isEmpty()) {
            return a.path.isEmpty() && !b.path.isEmpty();
        }
        return TextOrder::localizedStandardLess(a.path, b.path);
    });
    return result;
}

QString rowTitle(const QString& rootName, const QString& folder) {
    if (folder.isEmpty()) {
        return rootName;
    }
    return rootName + QStringLiteral(" › ") +
           QString(folder).replace(QLatin1Char('/'), QStringLiteral(" › "));
}

QString title(LibrarySource source, const QString& rootName, const QStringList& folders) {
    if (source == LibrarySource::photos) {
        return QStringLiteral("이 컴퓨터 · 사진 보관함 분류");
    }
    if (folders.size() == 1) {
        return rowTitle(rootName, folders.first());
    }
    return QString::number(folders.size()) + QStringLiteral("개 폴더에 저장");
}

QString popoverHeading(qsizetype folders) {
    return QString::number(folders) + QStringLiteral("개 폴더에 나누어 저장");
}

Icons icons(LibrarySource source, qsizetype folders) {
    if (folders >= 2 && source == LibrarySource::folder) {
        return {QStringLiteral("folder.badge.plus"), QStringLiteral("chevron.down")};
    }
    return {QStringLiteral("folder"), QStringLiteral("arrow.up.right")};
}

}  // namespace lumivex::StorageLocations
