#pragma once

#include <QFont>
#include <QRectF>

#include <optional>

namespace lumivex {

// The parts of one card of the media grid, from its frame: the square thumbnail on top, then,
// padded 12, the file name, the row of rating stars with the kind, and the option values, 8
// apart. The fonts are the card's; the information block's height follows from them.
class MediaCardLayout {
public:
    static constexpr double padding = 12;
    static constexpr double lineSpacing = 8;
    static constexpr double starSide = 11;
    static constexpr double starSpacing = 4;
    static constexpr double cornerRadius = 9;

    static QFont nameFont();
    static QFont kindFont();
    static QFont valuesFont();
    static QFont badgeFont();
    // The height under the thumbnail.
    static double infoHeight();

    explicit MediaCardLayout(const QRectF& card);

    const QRectF& card() const { return card_; }
    QRectF thumbnail() const;
    QRectF name() const;
    QRectF starRow() const;
    // Star 1 to 5, left to right.
    QRectF star(int number) const;
    // The star under `point`, if any.
    std::optional<int> starAt(QPointF point) const;
    QRectF values() const;

private:
    static double nameHeight();
    static double rowHeight();
    static double valuesHeight();

    QRectF card_;
};

}  // namespace lumivex
