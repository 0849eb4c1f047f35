#pragma once

#include <QString>

#include <array>
#include <optional>

namespace lumivex {

// The browser's sort keys when no property is chosen for sorting. The Korean raw value is also
// the title shown in the sort menu.
enum class SortOrder { captured, name, rating, duration, added, modified, size };

inline constexpr std::array<SortOrder, 7> allSortOrders{
    SortOrder::captured, SortOrder::name,     SortOrder::rating, SortOrder::duration,
    SortOrder::added,    SortOrder::modified, SortOrder::size};

QString rawValue(SortOrder order);
std::optional<SortOrder> sortOrderFromRaw(const QString& raw);

}  // namespace lumivex
