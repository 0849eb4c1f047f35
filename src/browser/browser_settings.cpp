#include "browser/browser_settings.h"

#include "model/library.h"
#include "platform/lumivex_settings.h"

#include <algorithm>
#include <cmath>

namespace lumivex::BrowserSettings {

double clampedCardSize(double value) {
    if (!std::isfinite(value)) {
        return defaultCardSize;
    }
    return std::clamp(value, minimumCardSize, maximumCardSize);
}

double cardSize(const LumivexSettings& settings) {
    return clampedCardSize(settings.cardSize());
}

void setCardSize(LumivexSettings& settings, double value) {
    settings.setCardSize(clampedCardSize(value));
}

bool isPhotosItem(const MediaItem& item) {
    return item.fileIdentity.startsWith(QStringLiteral("photos:"));
}

int thumbnailPixels(const LumivexSettings& settings, const MediaItem& item) {
    const std::int64_t stored =
        isPhotosItem(item) ? settings.photosPixels() : settings.folderPixels();
    return static_cast<int>(LumivexSettings::offeredResolution(stored));
}

}  // namespace lumivex::BrowserSettings
