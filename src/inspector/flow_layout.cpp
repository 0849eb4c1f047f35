#include "inspector/flow_layout.h"

#include <algorithm>

namespace lumivex {

namespace {

// The width proposed when none is given.
constexpr int idealWidth = 260;

}  // namespace

QList<QRect> FlowLayout::positions(const QList<QSize>& sizes, int width, int* height) const {
    QList<QRect> result;
    result.reserve(sizes.size());
    int x = 0;
    int y = 0;
    int line = 0;
    for (const QSize& size : sizes) {
        if (x > 0 && x + size.width() > width) {
            y += line + spacing_;
            x = 0;
            line = 0;
        }
        result.append(QRect(QPoint(x, y), size));
        x += size.width() + spacing_;
        line = std::max(line, size.height());
    }
    if (height != nullptr) {
        *height = y + line;
    }
    return result;
}

QSize FlowLayout::sizeThatFits(const QList<QSize>& sizes, std::optional<int> width) const {
    const int proposed = width.value_or(idealWidth);
    int height = 0;
    positions(sizes, proposed, &height);
    return {proposed, height};
}

}  // namespace lumivex
