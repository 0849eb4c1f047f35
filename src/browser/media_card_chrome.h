#pragma once

#include <QColor>
#include <QHash>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>
#include <QString>

#include <array>
#include <optional>

class QPainter;

namespace lumivex {

// The surface of a card: the rounded background on the grid's canvas, the placeholder square
// while a thumbnail loads, and the border, selected or not. Every part comes from pixmaps made
// once per card size and copied for each card: filling the outlines of every card again costs
// more, since the raster engine hands each fill taller than a few dozen lines to its threads.
// The surfaces are opaque, with the canvas in their corners. The symbol on a placeholder is drawn
// into its surface too: its outline costs more to fill than the whole surface costs to copy, and
// drawn on the same opaque pixels at a whole-pixel offset it comes out the same. Main thread.
class MediaCardChrome {
public:
    // A symbol of `side` logical pixels, in one colour, centred on the placeholder square.
    struct Glyph {
        QString name;
        QColor color;
        double side = 0;
    };

    // The opaque surface, with the placeholder square at the top when `placeholder`, and `glyph`
    // on it when given.
    void paintSurface(QPainter& painter, const QRectF& card, bool selected, bool placeholder,
                      const std::optional<Glyph>& glyph = std::nullopt);
    // Where `glyph` stands on the card `card`.
    static QRectF glyphBox(const QRectF& card, double side);
    // After a thumbnail was copied over the top of the card: cuts its top corners round and lays
    // the border's top and sides over it.
    void paintThumbnailEdges(QPainter& painter, const QRectF& card, bool selected);

private:
    struct Cache {
        QSizeF size;
        qreal ratio = 1;
        QHash<QString, QPixmap> surfaces;  // by surfaceKey
        std::array<QPixmap, 2> edges;      // by selected
    };

    Cache& cache(QSizeF size, qreal ratio);
    QPixmap makeSurface(const Cache& cache, bool selected, bool placeholder,
                        const std::optional<Glyph>& glyph) const;
    QPixmap makeEdges(const Cache& cache, bool selected) const;

    std::optional<Cache> cache_;
};

}  // namespace lumivex
