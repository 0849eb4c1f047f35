#pragma once

#include <QImage>

// A picture that shows which way a decoder turned it: red on the left, blue on the right, as
// stored, with the colour checks that survive lossy encoding.
namespace lumivex::test {

inline QImage redBlueHalves(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width() / 2; ++x) {
            image.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    return image;
}

inline bool reddish(QRgb pixel) {
    return qRed(pixel) > 200 && qBlue(pixel) < 60;
}

inline bool bluish(QRgb pixel) {
    return qBlue(pixel) > 200 && qRed(pixel) < 60;
}

}  // namespace lumivex::test
