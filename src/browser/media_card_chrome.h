#pragma once

#include <QPainterPath>
#include <QPixmap>
#include <QRectF>

#include <array>
#include <optional>

class QPainter;

namespace lumivex {

// The surface of a card: the rounded background on the grid's canvas, the placeholder square
// while a thumbnail loads, and the border, selected or not. Every part comes from pixmaps made
// once per card size and copied for each card: filling the outlines of every card again costs
// more, since the raster engine hands each fill taller than a few dozen lines to its threads.
// The surfaces are opaque, with the canvas in their corners. Main thread.
class MediaCardChrome {
public:
    // The opaque surface, with the placeholder square at the top when `placeholder`.
    void paintSurface(QPainter& painter, const QRectF& card, bool selected, bool placeholder);
    // After a thumbnail was copied over the top of the card: cuts its top corners round and lays
    // the border's top and sides over it.
    void paintThumbnailEdges(QPainter& painter, const QRectF& card, bool selected);

private:
    struct Cache {
        QSizeF size;
        qreal ratio = 1;
        std::array<QPixmap, 4> surfaces;  // by selected * 2 + placeholder
        std::array<QPixmap, 2> edges;     // by selected
    };

    Cache& cache(QSizeF size, qreal ratio);
    QPixmap makeSurface(const Cache& cache, bool selected, bool placeholder) const;
    QPixmap makeEdges(const Cache& cache, bool selected) const;

    std::optional<Cache> cache_;
};

}  // namespace lumivex
