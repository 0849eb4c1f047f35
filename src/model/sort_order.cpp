#include "model/sort_order.h"

namespace lumivex {

QString rawValue(SortOrder order) {
    switch (order) {
        case SortOrder::captured:
            return QStringLiteral("촬영한 날짜");
        case SortOrder::name:
            return QStringLiteral("이름");
        case SortOrder::rating:
            return QStringLiteral("별점");
        case SortOrder::duration:
            return QStringLiteral("영상 길이");
        case SortOrder::added:
            return QStringLiteral("추가한 날짜");
        case SortOrder::modified:
            return QStringLiteral("수정한 날짜");
        case SortOrder::size:
            return QStringLiteral("파일 크기");
    }
    return {};
}

std::optional<SortOrder> sortOrderFromRaw(const QString& raw) {
    for (SortOrder order : allSortOrders) {
        if (raw == rawValue(order)) {
            return order;
        }
    }
    return std::nullopt;
}

}  // namespace lumivex
