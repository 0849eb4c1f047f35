#include "browser/browser_icons.h"

#include "browser/browser_icon_shapes.h"
#include "browser/browser_palette.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRectF>

#include <algorithm>

namespace lumivex::BrowserIcons {

namespace {

constexpr double unitBox = 24.0;
constexpr double strokeWidth = 1.9;  // in the 24-unit box

QString pixmapKey(const QString& name, int pixelSize, const QColor& color, qreal ratio) {
    return name + QLatin1Char('\0') + QString::number(pixelSize) + QLatin1Char('\0') +
           QString::number(color.rgba(), 16) + QLatin1Char('\0') + QString::number(ratio);
}

}  // namespace

QStringList names() {
    QStringList result = browserIconShapes().keys();
    std::sort(result.begin(), result.end());
    return result;
}

bool contains(const QString& name) {
    return browserIconShapes().contains(name);
}

void paint(QPainter& painter, const QString& name, const QRectF& box, const QColor& color) {
    const auto found = browserIconShapes().constFind(name);
    if (found == browserIconShapes().constEnd() || box.isEmpty()) {
        return;
    }
    const double side = std::min(box.width(), box.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / unitBox, side / unitBox);
    if (!found->filled.isEmpty()) {
        painter.fillPath(found->filled, color);
    }
    if (!found->stroked.isEmpty()) {
        QPen pen(color, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.strokePath(found->stroked, pen);
    }
    painter.restore();
}

QPixmap pixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio) {
    if (!contains(name) || pixelSize <= 0) {
        return {};
    }
    static QHash<QString, QPixmap> made;
    const QString key = pixmapKey(name, pixelSize, color, devicePixelRatio);
    if (const auto found = made.constFind(key); found != made.constEnd()) {
        return *found;
    }
    const int side = std::max(1, qRound(pixelSize * devicePixelRatio));
    // Painted on an image that goes once copied: a painted image or pixmap keeps its paint engine
    // and the engine's buffers for as long as it lives, some ten kilobytes per cached icon.
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        paint(painter, name, QRectF(0, 0, side, side), color);
    }
    QPixmap result = QPixmap::fromImage(canvas.copy());
    result.setDevicePixelRatio(devicePixelRatio);
    made.insert(key, result);
    return result;
}

QIcon icon(const QString& name, const QColor& color) {
    QIcon result;
    for (const int size : {12, 16, 24, 32, 48}) {
        result.addPixmap(pixmap(name, size, color), QIcon::Normal);
        result.addPixmap(pixmap(name, size, BrowserPalette::withOpacity(color, 0.35)),
                         QIcon::Disabled);
    }
    return result;
}

}  // namespace lumivex::BrowserIcons
