#include "store/grid_navigation.h"

#include <algorithm>

namespace lumivex {

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
