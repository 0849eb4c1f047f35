#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace lumivex {

class UserDefaults;

// The application's settings, each declared once here with its key, type and fallback, and read
// through typed getters: a stored value of another type counts as absent and gives the fallback.
// Every setting has its own change signal, whoever wrote it (the settings window, the grid's
// slider, the user's own edit of the file reloaded). The object keeps no copy of the values, so
// any number of them may stand over the one `UserDefaults`, which must outlive them. Main thread.
class LumivexSettings : public QObject {
    Q_OBJECT

public:
    enum class Key {
        photosPixels,
        folderPixels,
        photosNetwork,
        cardSize,
        videoSkipSeconds,
        previewWidth,
        previewHeight,
        mainWindowGeometry,
        mainWindowMaximized,
    };

    // The thumbnail sizes the settings offer, in pixels.
    static constexpr std::array<std::int64_t, 6> resolutions = {144, 240, 360, 480, 720, 1080};
    static constexpr std::int64_t minimumSkipSeconds = 1;
    static constexpr std::int64_t maximumSkipSeconds = 3600;

    static QString keyName(Key key);
    static std::optional<Key> keyNamed(const QString& name);

    explicit LumivexSettings(UserDefaults& defaults, QObject* parent = nullptr);

    UserDefaults& defaults() const { return defaults_; }

    // The stored values as they are (fallback when absent or of another type).
    std::int64_t photosPixels() const;
    std::int64_t folderPixels() const;
    bool photosNetwork() const;
    double cardSize() const;
    std::int64_t videoSkipSeconds() const;
    double previewWidth() const;
    double previewHeight() const;
    // The main window's normal (not maximised) client rectangle when it last closed; nothing
    // when absent or unreadable.
    std::optional<QRect> mainWindowGeometry() const;
    bool mainWindowMaximized() const;

    // The rules every reader applies: a resolution the settings do not offer reads as 360; a skip
    // interval outside 1 to 3600 seconds reads as 5.
    static std::int64_t offeredResolution(std::int64_t pixels);
    static bool isSkipInterval(std::int64_t seconds);
    std::int64_t skipInterval() const;

    void setPhotosPixels(std::int64_t pixels);
    void setFolderPixels(std::int64_t pixels);
    void setPhotosNetwork(bool allowed);
    void setCardSize(double size);
    void setVideoSkipSeconds(std::int64_t seconds);
    void setPreviewSize(double width, double height);
    void setMainWindowGeometry(const QRect& normal, bool maximized);

Q_SIGNALS:
    void changed(lumivex::LumivexSettings::Key key);
    void photosPixelsChanged();
    void folderPixelsChanged();
    void photosNetworkChanged();
    void cardSizeChanged();
    void videoSkipSecondsChanged();
    void previewWidthChanged();
    void previewHeightChanged();

private:
    void announce(const QString& name);
    std::optional<std::int64_t> storedInteger(Key key) const;
    std::optional<double> storedNumber(Key key) const;

    UserDefaults& defaults_;
};

}  // namespace lumivex
