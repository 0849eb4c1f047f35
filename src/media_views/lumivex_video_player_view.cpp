#include "media_views/lumivex_video_player_view.h"

#include "media/video_keyboard_action.h"
#include "media/video_player.h"
#include "media/video_seek_controller.h"
#include "media_views/video_controls_pane.h"
#include "platform/lumivex_settings.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QVideoWidget>

#include <chrono>

namespace lumivex {

namespace {

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Text is being typed: the keys belong to the text.
bool editsText(const QWidget* focus) {
    return qobject_cast<const QLineEdit*>(focus) != nullptr ||
           qobject_cast<const QTextEdit*>(focus) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(focus) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(focus) != nullptr;
}

}  // namespace

LumivexVideoPlayerView::LumivexVideoPlayerView(UserDefaults& defaults, Uptime uptime,
                                               QWidget* parent)
    : QWidget(parent),
      settings_(new LumivexSettings(defaults, this)),
      uptime_(uptime ? std::move(uptime) : Uptime(steadySeconds)),
      video_(new QVideoWidget(this)),
      controls_(new VideoControlsPane(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The controls keep their band below the video even while hidden (the video is a native
    // window, which nothing can float over); a band as tall above keeps the video centred.
    layout->addSpacing(controls_->height());
    layout->addWidget(video_, 1);
    layout->addWidget(controls_);
    video_->setAspectRatioMode(Qt::KeepAspectRatio);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    setPalette(dark);
    setAutoFillBackground(true);
    controlsHideTimer_.setSingleShot(true);
    controlsHideTimer_.setInterval(hideDelayMilliseconds);
    connect(&controlsHideTimer_, &QTimer::timeout, this,
            &LumivexVideoPlayerView::hideControlsUnlessPointed);
}

LumivexVideoPlayerView::~LumivexVideoPlayerView() {
    stopKeyboardMonitoring();
    if (player_ != nullptr) {
        player_->setVideoOutput(nullptr);
    }
}

void LumivexVideoPlayerView::bind(VideoPlayer* player) {
    // The same player keeps its controller and any sequence it runs; after stopPlayback() it
    // has none, and showing it again must give it one, or its keys would never act.
    if (player == player_ && (player == nullptr || seeker_ != nullptr)) {
        return;
    }
    if (seeker_ != nullptr) {
        seeker_->cancel(false);
    }
    if (player_ != nullptr) {
        player_->setVideoOutput(nullptr);
    }
    player_ = player;
    seeker_.reset(player != nullptr ? new VideoSeekController(player) : nullptr);
    if (player != nullptr) {
        player->setVideoOutput(video_->videoSink());
    }
    controls_->setPlayer(player, seeker_.get());
    lastControlsReveal_ = 0;
}

void LumivexVideoPlayerView::stopPlayback() {
    stopKeyboardMonitoring();
    if (seeker_ != nullptr) {
        seeker_->cancel(false);
        seeker_.reset();
    }
    controls_->setPlayer(player_, nullptr);
    if (player_ != nullptr) {
        player_->pause();
        player_->removeItem();
    }
}

void LumivexVideoPlayerView::stopKeyboardMonitoring() {
    controlsHideTimer_.stop();
    if (monitoring_) {
        qApp->removeEventFilter(this);
        monitoring_ = false;
    }
    claim_.reset();
}

void LumivexVideoPlayerView::showEvent(QShowEvent*) {
    stopKeyboardMonitoring();
    qApp->installEventFilter(this);
    monitoring_ = true;
}

void LumivexVideoPlayerView::hideEvent(QHideEvent*) {
    stopKeyboardMonitoring();
}

void LumivexVideoPlayerView::enterEvent(QEnterEvent*) {
    revealPlaybackControls();
}

bool LumivexVideoPlayerView::acceptsEventsOf(QObject* receiver) const {
    if (!receiver->isWidgetType() || seeker_ == nullptr || !isVisible()) {
        return false;
    }
    const QWidget* own = window();
    return static_cast<QWidget*>(receiver)->window() == own &&
           QApplication::activeWindow() == own && QApplication::activeModalWidget() == nullptr;
}

bool LumivexVideoPlayerView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride &&
        type != QEvent::MouseButtonPress) {
        return false;
    }
    if (!acceptsEventsOf(watched)) {
        return false;
    }
    if (type == QEvent::MouseButtonPress) {
        handleMousePress(static_cast<const QMouseEvent&>(*event));
        return false;
    }
    return claim_.filter(*event, [this](const QKeyEvent& key) { return handleKey(key); });
}

bool LumivexVideoPlayerView::handleKey(const QKeyEvent& key) {
    if (editsText(QApplication::focusWidget()) || QApplication::activePopupWidget() != nullptr) {
        return false;
    }
    const std::optional<VideoKeyboardAction> action =
        VideoKeyboardAction::forKey(key.key(), key.modifiers() & ~Qt::KeypadModifier,
                                    static_cast<double>(settings_->skipInterval()));
    if (!action || !action->perform(*seeker_)) {
        return false;
    }
    revealPlaybackControls();
    return true;
}

void LumivexVideoPlayerView::handleMousePress(const QMouseEvent& press) {
    if (press.button() == Qt::LeftButton &&
        rect().contains(mapFromGlobal(press.globalPosition().toPoint()))) {
        // A click on the player ends a keyboard seek sequence and lets the player go on.
        seeker_->cancel(true);
    }
}

void LumivexVideoPlayerView::revealPlaybackControls() {
    const double now = uptime_();
    if (now - lastControlsReveal_ < revealThrottle) {
        return;
    }
    lastControlsReveal_ = now;
    controls_->setShown(true);
    controlsHideTimer_.start();
}

void LumivexVideoPlayerView::hideControlsUnlessPointed() {
    if (!controls_->rect().contains(controls_->mapFromGlobal(QCursor::pos()))) {
        controls_->setShown(false);
    }
}

}  // namespace lumivex
