#pragma once

#include <QString>

namespace lumivex {

class UserDefaults;
struct MediaItem;

// The stored settings the main window reads: the card size and the thumbnail resolutions. Every
// read checks the stored value, since the file is the user's to edit. Main thread.
namespace BrowserSettings {

inline const QString cardSizeKey = QStringLiteral("Lumivex.settings.cardSize");
inline const QString photosPixelsKey = QStringLiteral("Lumivex.settings.photosPixels");
inline const QString folderPixelsKey = QStringLiteral("Lumivex.settings.folderPixels");

constexpr double defaultCardSize = 210;
constexpr double minimumCardSize = 160;  // the footer slider's range
constexpr double maximumCardSize = 290;
constexpr int defaultPixels = 360;

// Into the slider's range; a value that is not a finite number is the default.
double clampedCardSize(double value);
// The stored card size (a double or an integer), clamped; the default when none is stored.
double cardSize(const UserDefaults& defaults);
void setCardSize(UserDefaults& defaults, double value);

// The stored thumbnail resolution for items like this one (photo-library or folder items); a
// value the settings do not offer is the default.
int thumbnailPixels(const UserDefaults& defaults, const MediaItem& item);
bool isPhotosItem(const MediaItem& item);

}  // namespace BrowserSettings
}  // namespace lumivex
