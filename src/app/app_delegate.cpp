#include "app/app_delegate.h"

#include "app/lumivex_update_controller.h"
#include "media/video_compatibility.h"
#include "platform/date.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QSessionManager>
#include <QThreadPool>
#include <QWidget>

namespace lumivex {

AppDelegate::AppDelegate(LumivexUpdateController& updates, LumivexStore& store, QObject* parent)
    : QObject(parent), updates_(updates), store_(store) {
    QGuiApplication::setQuitOnLastWindowClosed(true);
    // A draft saved by a queued call after its editor hid would not run once the loop has ended.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { store_.storePendingEdits(); });
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { store_.storePendingEdits(); });
#endif
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                // Before the launch step, the launch step's own check is still to come.
                if (state == Qt::ApplicationActive && finishedLaunching_) {
                    updates_.checkAutomaticallyIfNeeded();
                }
            });
}

void AppDelegate::quit() {
    QApplication::closeAllWindows();
    store_.storePendingEdits();
    QCoreApplication::quit();
}

void AppDelegate::launch(QWidget& window) {
    window_ = &window;
    window.installEventFilter(this);
    window.show();
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Paint) {
        window_->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &AppDelegate::applicationDidFinishLaunching,
                                  Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void AppDelegate::applicationDidFinishLaunching() {
    // Off the main thread: a large cache would hold the first interaction back.
    QThreadPool::globalInstance()->start(
        [] { VideoCompatibility::cleanup(VideoCompatibility::root(), std::nullopt, Date::now()); });
    if (window_) {
        window_->raise();
        window_->activateWindow();
    }
    finishedLaunching_ = true;
    updates_.checkAutomaticallyIfNeeded();
    Q_EMIT launched();
}

}  // namespace lumivex
