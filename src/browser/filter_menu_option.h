#pragma once

#include <QString>

#include <optional>

namespace lumivex {

// One choice of a flat filter menu: its row text, the value choosing it reports (absent is a
// value too), the row's symbol and its indent steps of 16 pixels.
struct FilterMenuOption {
    QString title;
    std::optional<QString> value;
    QString symbol;
    int indentation = 0;

    bool operator==(const FilterMenuOption&) const = default;
};

}  // namespace lumivex
