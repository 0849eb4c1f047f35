#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

namespace lumivex {

class UserDefaults;
class VideoPlayer;

// Gives every playback the volume and mute state the user chose last: restores them when the
// playback begins and saves each change until stop(). One per playback; main thread.
class VideoVolumeMemory : public QObject {
public:
    static inline const QString volumeKey = QStringLiteral("Lumivex.settings.videoVolume");
    static inline const QString mutedKey = QStringLiteral("Lumivex.settings.videoMuted");

    // Restores the saved state into `player` (writing nothing back) and starts saving changes.
    VideoVolumeMemory(VideoPlayer* player, UserDefaults& defaults, QObject* parent = nullptr);

    // Saves the final state once and stops saving; later calls do nothing.
    void stop();

    // The saved volume when it is a number from 0 to 1, else 1.
    static float savedVolume(const UserDefaults& defaults);

private:
    void saveVolume(float volume);
    void saveMuted(bool muted);

    QList<QMetaObject::Connection> observations_;
    QPointer<VideoPlayer> player_;
    UserDefaults& defaults_;
    bool stopped_ = false;
};

}  // namespace lumivex
