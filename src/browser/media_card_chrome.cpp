#include "browser/media_card_chrome.h"

#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/media_card_layout.h"

#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>

namespace lumivex {

namespace {

QPainterPath cardShape(QSizeF size) {
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), MediaCardLayout::cornerRadius,
                        MediaCardLayout::cornerRadius);
    return path;
}

QPainterPath squareShape(QSizeF size) {
    QPainterPath path;
    path.addRect(QRectF(0, 0, size.width(), size.width()));
    return path;
}

QPainterPath borderShape(QSizeF size, bool selected) {
    const double line = selected ? 1.5 : 1.0;
    const double inset = line / 2;
    const double radius = MediaCardLayout::cornerRadius - inset;
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), size).adjusted(inset, inset, -inset, -inset),
                           radius, radius);
    QPainterPathStroker stroker;
    stroker.setWidth(line);
    return stroker.createStroke(outline);
}

QColor borderColor(bool selected) {
    return selected ? BrowserPalette::mint() : BrowserPalette::white(0.055);
}

QString surfaceKey(bool selected, bool placeholder,
                   const std::optional<MediaCardChrome::Glyph>& glyph) {
    QString key = QString::number((selected ? 2 : 0) + (placeholder ? 1 : 0));
    if (glyph) {
        key += QLatin1Char('\0') + glyph->name + QLatin1Char('\0') +
               QString::number(glyph->color.rgba(), 16) + QLatin1Char('\0') +
               QString::number(glyph->side);
    }
    return key;
}

QPixmap pixmapOf(QImage image, qreal ratio) {
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace

MediaCardChrome::Cache& MediaCardChrome::cache(QSizeF size, qreal ratio) {
    if (!cache_ || cache_->size != size || cache_->ratio != ratio) {
        cache_ = Cache{size, ratio, {}, {}};
    }
    return *cache_;
}

QRectF MediaCardChrome::glyphBox(const QRectF& card, double side) {
    const QPointF centre = MediaCardLayout(card).thumbnail().center();
    return {centre.x() - side / 2, centre.y() - side / 2, side, side};
}

QPixmap MediaCardChrome::makeSurface(const Cache& made, bool selected, bool placeholder,
                                     const std::optional<Glyph>& glyph) const {
    QImage image((made.size * made.ratio).toSize(), QImage::Format_RGB32);
    image.fill(BrowserPalette::canvas());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(made.ratio, made.ratio);
    const QPainterPath card = cardShape(made.size);
    painter.fillPath(card, selected ? BrowserPalette::mint(0.07) : BrowserPalette::white(0.025));
    if (placeholder) {
        painter.fillPath(card.intersected(squareShape(made.size)), BrowserPalette::white(0.035));
    }
    painter.fillPath(borderShape(made.size, selected), borderColor(selected));
    if (glyph) {
        BrowserIcons::paint(painter, glyph->name,
                            glyphBox(QRectF(QPointF(0, 0), made.size), glyph->side), glyph->color);
    }
    painter.end();
    return pixmapOf(std::move(image), made.ratio);
}

QPixmap MediaCardChrome::makeEdges(const Cache& made, bool selected) const {
    QImage image((made.size * made.ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(made.ratio, made.ratio);
    painter.fillPath(squareShape(made.size).subtracted(cardShape(made.size)),
                     BrowserPalette::canvas());
    painter.fillPath(borderShape(made.size, selected), borderColor(selected));
    painter.end();
    return pixmapOf(std::move(image), made.ratio);
}

// The symbol's edges are smoothed against the device's pixel grid: it comes from the cache only
// where the card starts on a whole device pixel, as it always does at whole ratios.
void MediaCardChrome::paintSurface(QPainter& painter, const QRectF& card, bool selected,
                                   bool placeholder, const std::optional<Glyph>& glyph) {
    Cache& made = cache(card.size(), painter.device()->devicePixelRatioF());
    const QTransform& transform = painter.deviceTransform();
    const QPointF device = transform.map(card.topLeft());
    const bool cached =
        glyph && transform.type() <= QTransform::TxScale && device == QPointF(device.toPoint());
    QPixmap& surface =
        made.surfaces[surfaceKey(selected, placeholder, cached ? glyph : std::nullopt)];
    if (surface.isNull()) {
        surface = makeSurface(made, selected, placeholder, cached ? glyph : std::nullopt);
    }
    painter.drawPixmap(card.topLeft(), surface);
    if (glyph && !cached) {
        BrowserIcons::paint(painter, glyph->name, glyphBox(card, glyph->side), glyph->color);
    }
}

void MediaCardChrome::paintThumbnailEdges(QPainter& painter, const QRectF& card, bool selected) {
    Cache& made = cache(card.size(), painter.device()->devicePixelRatioF());
    QPixmap& edges = made.edges[selected ? 1 : 0];
    if (edges.isNull()) {
        edges = makeEdges(made, selected);
    }
    const double side = card.width();
    const double top = MediaCardLayout::cornerRadius + 2;
    const double line = 2;
    const QRectF parts[] = {
        {0, 0, side, top}, {0, top, line, side - top}, {side - line, top, line, side - top}};
    for (const QRectF& part : parts) {
        const QRectF source(part.topLeft() * made.ratio, part.size() * made.ratio);
        painter.drawPixmap(part.translated(card.topLeft()), edges, source);
    }
}

}  // namespace lumivex
