#include "browser/browser_settings.h"

#include "model/library.h"
#include "platform/user_defaults.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace lumivex::BrowserSettings {

namespace {

constexpr std::array<std::int64_t, 6> resolutions = {144, 240, 360, 480, 720, 1080};

}  // namespace

double clampedCardSize(double value) {
    if (!std::isfinite(value)) {
        return defaultCardSize;
    }
    return std::clamp(value, minimumCardSize, maximumCardSize);
}

double cardSize(const UserDefaults& defaults) {
    if (const auto stored = defaults.doubleValue(cardSizeKey)) {
        return clampedCardSize(*stored);
    }
    if (const auto stored = defaults.integerValue(cardSizeKey)) {
        return clampedCardSize(static_cast<double>(*stored));
    }
    return defaultCardSize;
}

void setCardSize(UserDefaults& defaults, double value) {
    defaults.setDouble(cardSizeKey, clampedCardSize(value));
}

bool isPhotosItem(const MediaItem& item) {
    return item.fileIdentity.startsWith(QStringLiteral("photos:"));
}

int thumbnailPixels(const UserDefaults& defaults, const MediaItem& item) {
    const auto stored =
        defaults.integerValue(isPhotosItem(item) ? photosPixelsKey : folderPixelsKey);
    if (stored && std::find(resolutions.begin(), resolutions.end(), *stored) != resolutions.end()) {
        return static_cast<int>(*stored);
    }
    return defaultPixels;
}

}  // namespace lumivex::BrowserSettings
