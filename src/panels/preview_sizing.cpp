#include "panels/preview_sizing.h"

#include <algorithm>
#include <cmath>

namespace lumivex::PreviewSizing {

namespace {

double fitLength(double requested, double available, double minimumLength, double fallback) {
    const double maximum = std::isnan(available) ? 1.0 : std::max(available - 40, 1.0);
    const double minimum = std::min(maximum, minimumLength);
    double value = requested > 0 && std::isfinite(requested) ? requested : fallback;
    if (value < minimum) {
        value = minimum;
    }
    if (value >= maximum) {
        value = maximum;
    }
    return value;
}

}  // namespace

QSizeF fit(QSizeF requested, QSizeF available) {
    return {fitLength(requested.width(), available.width(), 480, defaultWidth),
            fitLength(requested.height(), available.height(), 340, defaultHeight)};
}

}  // namespace lumivex::PreviewSizing
