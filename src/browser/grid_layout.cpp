#include "browser/grid_layout.h"

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

// Overlap that also counts a rectangle of no width or height lying across the other, as a
// marquee dragged straight down is.
bool meets(const QRectF& a, const QRectF& b) {
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() &&
           b.top() <= a.bottom();
}

}  // namespace

int GridLayout::columnCount(double width, double cardSize) {
    const double fitting =
        (width - 2 * sidePadding + columnSpacing) / (std::max(cardSize, 1.0) + columnSpacing);
    if (!(fitting >= 1)) {
        return 1;
    }
    return static_cast<int>(std::min(fitting, 100000.0));
}

GridLayout::GridLayout(double width, double cardSize, double infoHeight, qsizetype count)
    : columns_(columnCount(width, cardSize)), count_(std::max<qsizetype>(count, 0)), width_(width) {
    const double available = width - 2 * sidePadding;
    const double share = (available - (columns_ - 1) * columnSpacing) / columns_;
    cardWidth_ = std::clamp(share, cardSize, cardSize + widthAllowance);
    cardHeight_ = cardWidth_ + infoHeight;
    const double gridWidth = columns_ * cardWidth_ + (columns_ - 1) * columnSpacing;
    left_ = sidePadding + (available - gridWidth) / 2;
}

double GridLayout::contentHeight() const {
    const qsizetype rows = (count_ + columns_ - 1) / columns_;
    if (rows == 0) {
        return 0;
    }
    return rows * cardHeight_ + (rows - 1) * rowSpacing + bottomPadding;
}

double GridLayout::contentWidth() const {
    return std::max(width_, columns_ * columnPitch() - columnSpacing + 2 * sidePadding);
}

QRectF GridLayout::frame(qsizetype index) const {
    const qsizetype row = index / columns_;
    const qsizetype column = index % columns_;
    return {left_ + column * columnPitch(), row * rowPitch(), cardWidth_, cardHeight_};
}

std::optional<qsizetype> GridLayout::indexAt(QPointF point) const {
    if (count_ == 0 || point.x() < left_ || point.y() < 0) {
        return std::nullopt;
    }
    const auto column = static_cast<qsizetype>(std::floor((point.x() - left_) / columnPitch()));
    const auto row = static_cast<qsizetype>(std::floor(point.y() / rowPitch()));
    if (column >= columns_ || row > count_ / columns_) {
        return std::nullopt;
    }
    const qsizetype index = row * columns_ + column;
    if (index >= count_ || !frame(index).contains(point)) {
        return std::nullopt;
    }
    return index;
}

std::pair<qsizetype, qsizetype> GridLayout::rowSpan(double top, double bottom) const {
    const qsizetype rows = (count_ + columns_ - 1) / columns_;
    if (rows == 0 || bottom <= 0 || !(top < bottom)) {
        return {0, 0};
    }
    auto first = static_cast<qsizetype>(std::max(0.0, std::floor(top / rowPitch())));
    if (top > first * rowPitch() + cardHeight_) {
        ++first;  // `top` lies in the gap under that row
    }
    const double last = std::floor(bottom / rowPitch());
    const qsizetype end =
        last >= static_cast<double>(rows) ? rows : static_cast<qsizetype>(last) + 1;
    if (first >= end) {
        return {0, 0};
    }
    return {first * columns_, std::min(end * columns_, count_)};
}

QList<qsizetype> GridLayout::indicesMeeting(const QRectF& rect) const {
    QList<qsizetype> result;
    const auto [first, end] = rowSpan(rect.top(), rect.bottom() + 1);
    for (qsizetype index = first; index < end; ++index) {
        if (meets(frame(index), rect)) {
            result.append(index);
        }
    }
    return result;
}

}  // namespace lumivex
