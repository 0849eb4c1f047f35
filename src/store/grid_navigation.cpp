#include "store/grid_navigation.h"

#include <Qt>

#include <algorithm>

namespace lumivex {

std::optional<GridNavigationDirection> arrowDirection(int key) {
    switch (key) {
        case Qt::Key_Left:
            return GridNavigationDirection::left;
        case Qt::Key_Right:
            return GridNavigationDirection::right;
        case Qt::Key_Down:
            return GridNavigationDirection::down;
        case Qt::Key_Up:
            return GridNavigationDirection::up;
        default:
            return std::nullopt;
    }
}

qsizetype gridTarget(qsizetype index, qsizetype count, qsizetype columns,
                     GridNavigationDirection direction) {
    const qsizetype c = std::max<qsizetype>(columns, 1);
    switch (direction) {
        case GridNavigationDirection::left:
            return std::max<qsizetype>(index - 1, 0);
        case GridNavigationDirection::right:
            return std::min(index + 1, count - 1);
        case GridNavigationDirection::up:
            return index >= c ? index - c : index;
        case GridNavigationDirection::down:
            return (index / c + 1) * c < count ? std::min(index + c, count - 1) : index;
    }
    return index;
}

}  // namespace lumivex
