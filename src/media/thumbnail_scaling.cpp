#include "media/thumbnail_scaling.h"

namespace lumivex {

QSize reducedSize(QSize shown, int size, ThumbnailScaling scaling) {
    const bool fit = scaling == ThumbnailScaling::fit;
    const bool met = fit ? shown.width() <= size && shown.height() <= size
                         : shown.width() <= size || shown.height() <= size;
    if (met) {
        return shown;
    }
    return shown.scaled(size, size, fit ? Qt::KeepAspectRatio : Qt::KeepAspectRatioByExpanding)
        .expandedTo(QSize(1, 1));
}

}  // namespace lumivex
