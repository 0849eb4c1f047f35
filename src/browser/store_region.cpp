#include "browser/store_region.h"

#include "browser/window_state.h"

namespace lumivex {

StoreRegion::StoreRegion(LumivexStore& store, WindowState& state, QWidget* parent)
    : QWidget(parent), store_(store), state_(state) {
    connect(&state_, &WindowState::changed, this, &StoreRegion::scheduleRefresh);
}

void StoreRegion::scheduleRefresh() {
    stale_ = true;
    if (scheduled_) {
        return;
    }
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &StoreRegion::refreshIfStale, Qt::QueuedConnection);
}

void StoreRegion::refreshIfStale() {
    scheduled_ = false;
    if (!stale_) {
        return;
    }
    stale_ = false;
    refresh();
}

void StoreRegion::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshIfStale();
}

}  // namespace lumivex
