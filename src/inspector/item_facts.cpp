#include "inspector/item_facts.h"

#include "model/media_item.h"

#include <array>
#include <cmath>

namespace lumivex::ItemFacts {

QString fileName(const MediaItem& item) {
    return item.filename.mid(item.filename.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isPhotosItem(const MediaItem& item) {
    return item.fileIdentity.startsWith(QStringLiteral("photos:"));
}

QString kindLine(const MediaItem& item) {
    const QString kind = item.kind == MediaKind::video
                             ? QStringLiteral("영상 · ") + item.durationText()
                             : QStringLiteral("사진");
    const QString size = isPhotosItem(item) ? QStringLiteral("사진 보관함") : byteCount(item.size);
    return kind + QStringLiteral(" · ") + size;
}

QString byteCount(std::int64_t bytes) {
    if (bytes == 0) {
        return QStringLiteral("Zero KB");
    }
    if (bytes < 1000) {
        return QString::number(bytes) +
               (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    }
    // Kilobytes whole, megabytes to one decimal, larger units to two, trailing zeros dropped.
    static const std::array<std::pair<const char*, int>, 5> units{
        {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}}};
    double value = static_cast<double>(bytes) / 1000.0;
    std::size_t unit = 0;
    while (unit + 1 < units.size() && std::round(value * std::pow(10, units[unit].second)) /
                                              std::pow(10, units[unit].second) >=
                                          1000.0) {
        value /= 1000.0;
        ++unit;
    }
    QString number = QString::number(value, 'f', units[unit].second);
    if (number.contains(QLatin1Char('.'))) {
        while (number.endsWith(QLatin1Char('0'))) {
            number.chop(1);
        }
        if (number.endsWith(QLatin1Char('.'))) {
            number.chop(1);
        }
    }
    return number + QLatin1Char(' ') + QLatin1String(units[unit].first);
}

}  // namespace lumivex::ItemFacts
