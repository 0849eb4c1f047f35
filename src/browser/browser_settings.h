#pragma once

namespace lumivex {

class LumivexSettings;
struct MediaItem;

// The window's reading of the settings: the card size within the footer slider's range, and the
// thumbnail resolution for an item. Main thread.
namespace BrowserSettings {

constexpr double defaultCardSize = 210;
constexpr double minimumCardSize = 160;  // the footer slider's range
constexpr double maximumCardSize = 290;

// Into the slider's range; a value that is not a finite number is the default.
double clampedCardSize(double value);
// The stored card size, clamped.
double cardSize(const LumivexSettings& settings);
void setCardSize(LumivexSettings& settings, double value);

// The stored thumbnail resolution for items like this one (photo-library or folder items); a
// value the settings do not offer is the default.
int thumbnailPixels(const LumivexSettings& settings, const MediaItem& item);
bool isPhotosItem(const MediaItem& item);

}  // namespace BrowserSettings
}  // namespace lumivex
