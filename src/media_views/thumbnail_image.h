#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace lumivex {

// Draws a finished thumbnail into whatever frame it is given: the whole image fitted inside, or
// the frame filled and the overflow cropped; centred and clipped either way. Main thread.
class ThumbnailImage final : public QWidget {
public:
    explicit ThumbnailImage(QWidget* parent = nullptr);

    void setImage(const QImage& image, bool fit);
    bool fit() const { return fit_; }
    const QImage& image() const { return image_; }

    // Where an image of `imageSize` lands in `frame`, aspect kept: inside it when `fit`, else
    // covering it and centred, so that the frame crops the overflow evenly.
    static QRect placement(const QSize& imageSize, const QSize& frame, bool fit);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    QPixmap pixmap_;
    bool fit_ = true;
};

}  // namespace lumivex
