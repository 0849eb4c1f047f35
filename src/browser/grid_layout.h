#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace lumivex {

// Where every card of the media grid lies, by arithmetic alone: equal columns between paddings
// of 24, 16 between columns, 18 between rows, 24 under the last row. Cards are as wide as their
// column (between the card size and 70 more) and a square thumbnail plus the information block
// high. Coordinates are the scrolled content's, y downwards. Nothing here is O(items).
class GridLayout {
public:
    static constexpr double sidePadding = 24;
    static constexpr double bottomPadding = 24;
    static constexpr double columnSpacing = 16;
    static constexpr double rowSpacing = 18;
    static constexpr double widthAllowance = 70;  // how much wider than the card size a card grows

    // The number of columns that fit `width` with cards at least `cardSize` wide, at least one.
    static int columnCount(double width, double cardSize);

    GridLayout() = default;
    GridLayout(double width, double cardSize, double infoHeight, qsizetype count);

    int columns() const { return columns_; }
    qsizetype count() const { return count_; }
    double cardWidth() const { return cardWidth_; }
    double cardHeight() const { return cardHeight_; }
    double contentHeight() const;
    double contentWidth() const;

    QRectF frame(qsizetype index) const;
    // The card whose frame holds `point`, if any (points in the gaps hit nothing).
    std::optional<qsizetype> indexAt(QPointF point) const;
    // The first and one past the last index of the rows that meet [top, bottom).
    std::pair<qsizetype, qsizetype> rowSpan(double top, double bottom) const;
    // Every card whose frame meets `rect`, in order.
    QList<qsizetype> indicesMeeting(const QRectF& rect) const;

private:
    double rowPitch() const { return cardHeight_ + rowSpacing; }
    double columnPitch() const { return cardWidth_ + columnSpacing; }

    int columns_ = 1;
    qsizetype count_ = 0;
    double width_ = 0;
    double left_ = sidePadding;
    double cardWidth_ = 0;
    double cardHeight_ = 0;
};

}  // namespace lumivex
