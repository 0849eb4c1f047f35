#pragma once

#include <QImage>
#include <QString>

namespace lumivex {

struct PhotoImageRequest;

// Decodes an image file for display at a requested size: the orientation the file states is
// applied, and formats that can (JPEG) decode straight at the reduced size instead of in full.
// Never enlarges. A null image when the file cannot be decoded. Any thread.
namespace PhotoImageDecoder {

QImage decode(const QString& path, const PhotoImageRequest& request);

}  // namespace PhotoImageDecoder
}  // namespace lumivex
