#include "app/main_window_geometry.h"

#include "media_views/window_placement.h"
#include "platform/lumivex_settings.h"

#include <QEvent>
#include <QWidget>

namespace lumivex {

namespace {

const QSize preferredSize(1280, 840);

}  // namespace

MainWindowGeometry::MainWindowGeometry(QWidget& window, UserDefaults& defaults, QObject* parent)
    : QObject(parent), window_(window), settings_(new LumivexSettings(defaults, this)) {
    window_.installEventFilter(this);
}

void MainWindowGeometry::restore() {
    WindowPlacement::placeMainWindow(window_, settings_->mainWindowGeometry(), preferredSize);
    if (settings_->mainWindowMaximized()) {
        window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
    }
}

bool MainWindowGeometry::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        if (event->type() == QEvent::Close) {
            store();
        } else if (event->type() == QEvent::Paint && !framed_) {
            // The frame's thickness is known once the window manager has shown the window; the
            // window moves after this paint, not inside it.
            framed_ = true;
            QMetaObject::invokeMethod(this, &MainWindowGeometry::fitFrame, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

void MainWindowGeometry::fitFrame() {
    if (!(window_.windowState() &
          (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        WindowPlacement::placeMainWindow(window_, window_.geometry(), preferredSize);
    }
}

// The normal geometry, so that a window that opens maximised goes back to its old size.
void MainWindowGeometry::store() {
    settings_->setMainWindowGeometry(window_.normalGeometry(), window_.isMaximized());
}

}  // namespace lumivex
