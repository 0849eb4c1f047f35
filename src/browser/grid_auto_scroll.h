#pragma once

#include <QPointF>
#include <QRectF>

namespace lumivex {

// How fast a drag scrolls the grid with the pointer near its top or bottom edge.
namespace GridAutoScroll {

// Pixels per second, negative upwards: nothing outside the zone of min(height / 3, 56) at either
// edge or beside the view; from 30 just inside the zone up to 440 at the edge and beyond it.
double velocity(QPointF point, const QRectF& bounds);

}  // namespace GridAutoScroll
}  // namespace lumivex
