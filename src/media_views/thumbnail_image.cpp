#include "media_views/thumbnail_image.h"

#include <QPainter>

namespace lumivex {

ThumbnailImage::ThumbnailImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ThumbnailImage::setImage(const QImage& image, bool fit) {
    image_ = image;
    // Pixmaps belong to the main thread; the decoders hand over images.
    pixmap_ = QPixmap::fromImage(image);
    fit_ = fit;
    update();
}

QRect ThumbnailImage::placement(const QSize& imageSize, const QSize& frame, bool fit) {
    if (imageSize.isEmpty() || frame.isEmpty()) {
        return {};
    }
    const QSize scaled =
        imageSize.scaled(frame, fit ? Qt::KeepAspectRatio : Qt::KeepAspectRatioByExpanding);
    return {QPoint((frame.width() - scaled.width()) / 2, (frame.height() - scaled.height()) / 2),
            scaled};
}

void ThumbnailImage::paintEvent(QPaintEvent*) {
    if (pixmap_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(placement(pixmap_.size(), size(), fit_), pixmap_);
}

}  // namespace lumivex
