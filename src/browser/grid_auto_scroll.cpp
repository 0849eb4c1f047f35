#include "browser/grid_auto_scroll.h"

#include <algorithm>

namespace lumivex::GridAutoScroll {

double velocity(QPointF point, const QRectF& bounds) {
    if (!(bounds.width() > 0) || !(bounds.height() > 0) || point.x() < bounds.left() ||
        point.x() > bounds.right()) {
        return 0;
    }
    const double zone = std::min(bounds.height() / 3, 56.0);
    const double top = (bounds.top() + zone - point.y()) / zone;
    const double bottom = (point.y() - bounds.bottom() + zone) / zone;
    const double depth = std::max(top, bottom);
    if (depth <= 0) {
        return 0;
    }
    const double speed = 30 + 410 * std::min(depth, 1.0);
    return bottom < top ? -speed : speed;
}

}  // namespace lumivex::GridAutoScroll
