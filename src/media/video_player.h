#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

class QVideoSink;

namespace lumivex {

// The one video player of the application as the seek controller, the volume memory and the
// keyboard actions see it. The real one plays through Qt Multimedia; tests use a fake. Main
// thread.
class VideoPlayer : public QObject {
    Q_OBJECT

public:
    // Called with true when the seek reached its target, false when it was interrupted or
    // refused. May be called on any thread.
    using SeekCompletion = std::function<void(bool finished)>;

    using QObject::QObject;
    ~VideoPlayer() override;

    // An identity of the media loaded now, new for every load; 0 when there is none.
    virtual std::uint64_t currentItem() const = 0;
    // Whether the loaded media can be played and sought (its length and streams are known).
    virtual bool isReadyToPlay() const = 0;
    // Seconds.
    virtual double currentTime() const = 0;
    // Seconds; nothing while the length is unknown or indefinite.
    virtual std::optional<double> duration() const = 0;

    // 0 while paused, else the speed of playback.
    virtual float rate() const = 0;
    // 0 pauses; anything else plays at that speed.
    virtual void setRate(float rate) = 0;
    void pause() { setRate(0); }
    void play() { setRate(1); }

    // From 0 to 1.
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;
    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;

    // Seeks to `seconds`, give or take `tolerance` seconds either way, and tells `completion`.
    // A seek that a newer one replaces completes with false.
    virtual void seek(double seconds, double tolerance, SeekCompletion completion) = 0;
    // Completes every seek not yet finished with false.
    virtual void cancelPendingSeeks() = 0;

    // Unloads the media, so that nothing plays and currentItem() is 0.
    virtual void removeItem() = 0;
    // Shows the picture in `output` (a video widget's sink), or nowhere with null. Players
    // without a picture ignore it.
    virtual void setVideoOutput(QVideoSink* output);

Q_SIGNALS:
    void volumeChanged(float volume);
    void mutedChanged(bool muted);
    // The loaded media cannot be played; `description` is the backend's own words, for the log.
    void playbackFailed(const QString& description);
    // The first picture of the media loaded now has been shown, or the media has loaded and has
    // no picture.
    void firstFrameShown();
};

}  // namespace lumivex
