#include "platform/lumivex_settings.h"

#include "platform/user_defaults.h"

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

struct Declaration {
    LumivexSettings::Key key;
    const char* name;
};

constexpr std::array<Declaration, 9> declarations = {{
    {LumivexSettings::Key::photosPixels, "Lumivex.settings.photosPixels"},
    {LumivexSettings::Key::folderPixels, "Lumivex.settings.folderPixels"},
    {LumivexSettings::Key::photosNetwork, "Lumivex.settings.photosNetwork"},
    {LumivexSettings::Key::cardSize, "Lumivex.settings.cardSize"},
    {LumivexSettings::Key::videoSkipSeconds, "Lumivex.settings.videoSkipSeconds"},
    {LumivexSettings::Key::previewWidth, "Lumivex.settings.previewWidth"},
    {LumivexSettings::Key::previewHeight, "Lumivex.settings.previewHeight"},
    {LumivexSettings::Key::mainWindowGeometry, "Lumivex.mainWindowGeometry"},
    {LumivexSettings::Key::mainWindowMaximized, "Lumivex.mainWindowMaximized"},
}};

constexpr std::int64_t defaultPixels = 360;
constexpr double defaultCardSize = 210;
constexpr std::int64_t defaultSkipSeconds = 5;
constexpr double defaultPreviewWidth = 850;
constexpr double defaultPreviewHeight = 620;

}  // namespace

QString LumivexSettings::keyName(Key key) {
    return QString::fromLatin1(declarations[static_cast<std::size_t>(key)].name);
}

std::optional<LumivexSettings::Key> LumivexSettings::keyNamed(const QString& name) {
    for (const Declaration& declaration : declarations) {
        if (name == QLatin1String(declaration.name)) {
            return declaration.key;
        }
    }
    return std::nullopt;
}

LumivexSettings::LumivexSettings(UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults) {
    connect(&defaults_, &UserDefaults::changed, this, &LumivexSettings::announce);
}

void LumivexSettings::announce(const QString& name) {
    const std::optional<Key> key = keyNamed(name);
    if (!key) {
        return;
    }
    switch (*key) {
        case Key::photosPixels:
            Q_EMIT photosPixelsChanged();
            break;
        case Key::folderPixels:
            Q_EMIT folderPixelsChanged();
            break;
        case Key::photosNetwork:
            Q_EMIT photosNetworkChanged();
            break;
        case Key::cardSize:
            Q_EMIT cardSizeChanged();
            break;
        case Key::videoSkipSeconds:
            Q_EMIT videoSkipSecondsChanged();
            break;
        case Key::previewWidth:
            Q_EMIT previewWidthChanged();
            break;
        case Key::previewHeight:
            Q_EMIT previewHeightChanged();
            break;
        // Read once, at launch.
        case Key::mainWindowGeometry:
        case Key::mainWindowMaximized:
            break;
    }
    Q_EMIT changed(*key);
}

// Only an integer: a stored number with a fraction or text is another type.
std::optional<std::int64_t> LumivexSettings::storedInteger(Key key) const {
    return defaults_.integerValue(keyName(key));
}

// Any number; an integer reads as the number it is.
std::optional<double> LumivexSettings::storedNumber(Key key) const {
    const QString name = keyName(key);
    if (const auto number = defaults_.doubleValue(name)) {
        return number;
    }
    if (const auto whole = defaults_.integerValue(name)) {
        return static_cast<double>(*whole);
    }
    return std::nullopt;
}

std::int64_t LumivexSettings::photosPixels() const {
    return storedInteger(Key::photosPixels).value_or(defaultPixels);
}

std::int64_t LumivexSettings::folderPixels() const {
    return storedInteger(Key::folderPixels).value_or(defaultPixels);
}

bool LumivexSettings::photosNetwork() const {
    return defaults_.boolValue(keyName(Key::photosNetwork)).value_or(true);
}

double LumivexSettings::cardSize() const {
    return storedNumber(Key::cardSize).value_or(defaultCardSize);
}

std::int64_t LumivexSettings::videoSkipSeconds() const {
    return storedInteger(Key::videoSkipSeconds).value_or(defaultSkipSeconds);
}

double LumivexSettings::previewWidth() const {
    return storedNumber(Key::previewWidth).value_or(defaultPreviewWidth);
}

double LumivexSettings::previewHeight() const {
    return storedNumber(Key::previewHeight).value_or(defaultPreviewHeight);
}

// Written as "x,y,width,height" in whole pixels, so that a person can read and edit it.
std::optional<QRect> LumivexSettings::mainWindowGeometry() const {
    const QStringList parts =
        defaults_.text(keyName(Key::mainWindowGeometry)).value_or(QString()).split(u',');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    std::array<int, 4> numbers{};
    for (std::size_t index = 0; index < numbers.size(); ++index) {
        bool valid = false;
        numbers[index] = parts[static_cast<qsizetype>(index)].toInt(&valid);
        if (!valid) {
            return std::nullopt;
        }
    }
    const QRect geometry(numbers[0], numbers[1], numbers[2], numbers[3]);
    return geometry.isEmpty() ? std::nullopt : std::optional<QRect>(geometry);
}

bool LumivexSettings::mainWindowMaximized() const {
    return defaults_.boolValue(keyName(Key::mainWindowMaximized)).value_or(false);
}

std::int64_t LumivexSettings::offeredResolution(std::int64_t pixels) {
    return std::find(resolutions.begin(), resolutions.end(), pixels) != resolutions.end()
               ? pixels
               : defaultPixels;
}

bool LumivexSettings::isSkipInterval(std::int64_t seconds) {
    return seconds >= minimumSkipSeconds && seconds <= maximumSkipSeconds;
}

std::int64_t LumivexSettings::skipInterval() const {
    const std::int64_t seconds = videoSkipSeconds();
    return isSkipInterval(seconds) ? seconds : defaultSkipSeconds;
}

void LumivexSettings::setPhotosPixels(std::int64_t pixels) {
    defaults_.setInteger(keyName(Key::photosPixels), pixels);
}

void LumivexSettings::setFolderPixels(std::int64_t pixels) {
    defaults_.setInteger(keyName(Key::folderPixels), pixels);
}

void LumivexSettings::setPhotosNetwork(bool allowed) {
    defaults_.setBool(keyName(Key::photosNetwork), allowed);
}

void LumivexSettings::setCardSize(double size) {
    defaults_.setDouble(keyName(Key::cardSize), size);
}

void LumivexSettings::setVideoSkipSeconds(std::int64_t seconds) {
    defaults_.setInteger(keyName(Key::videoSkipSeconds), seconds);
}

void LumivexSettings::setPreviewSize(double width, double height) {
    defaults_.setDouble(keyName(Key::previewWidth), width);
    defaults_.setDouble(keyName(Key::previewHeight), height);
}

void LumivexSettings::setMainWindowGeometry(const QRect& normal, bool maximized) {
    defaults_.setText(keyName(Key::mainWindowGeometry), QStringLiteral("%1,%2,%3,%4")
                                                            .arg(normal.x())
                                                            .arg(normal.y())
                                                            .arg(normal.width())
                                                            .arg(normal.height()));
    defaults_.setBool(keyName(Key::mainWindowMaximized), maximized);
}

}  // namespace lumivex
