#pragma once

#include <QtGlobal>

#include <optional>

namespace lumivex {

enum class GridNavigationDirection { left, right, up, down };

// The direction an arrow key (a `Qt::Key`) points, or none for any other key.
std::optional<GridNavigationDirection> arrowDirection(int key);

// The index an arrow key moves a single selection to in a grid of `count` items laid out in
// `columns` columns (fewer than one counts as one). `index` is within the grid.
qsizetype gridTarget(qsizetype index, qsizetype count, qsizetype columns,
                     GridNavigationDirection direction);

}  // namespace lumivex
