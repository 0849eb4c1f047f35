#pragma once

#include <QSize>

namespace lumivex {

// How a picture meets a square box: wholly inside it, or covering it (the overflow is the
// viewer's to crop).
enum class ThumbnailScaling { fit, fill };

// `shown` shrunk to meet a square box of `size` pixels the way `scaling` says, aspect kept,
// never enlarged and never below one pixel a side. The box is square, so a quarter turn of the
// picture after scaling meets it just as well.
QSize reducedSize(QSize shown, int size, ThumbnailScaling scaling);

}  // namespace lumivex
