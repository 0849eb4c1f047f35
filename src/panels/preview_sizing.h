#pragma once

#include <QSizeF>

namespace lumivex {

// The size the preview card shows for a requested size in an available area: at least 480 by
// 340 where the area allows, never more than the area less 20 on each side, and 850 by 620 for a
// requested length that is not a positive finite number.
namespace PreviewSizing {

constexpr double defaultWidth = 850;
constexpr double defaultHeight = 620;

QSizeF fit(QSizeF requested, QSizeF available);

}  // namespace PreviewSizing
}  // namespace lumivex
