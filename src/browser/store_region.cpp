#include "browser/store_region.h"

#include "browser/window_state.h"
#include "store/lumivex_store.h"

namespace lumivex {

StoreRegion::StoreRegion(LumivexStore& store, WindowState& state, QWidget* parent)
    : QWidget(parent), store_(store), state_(state) {
    connect(&state_, &WindowState::changed, this, &StoreRegion::scheduleRefresh);
    connect(&store_, &LumivexStore::derivedViewsReady, this, &StoreRegion::scheduleRefresh);
}

void StoreRegion::scheduleRefresh() {
    stale_ = true;
    if (scheduled_) {
        return;
    }
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &StoreRegion::refreshWhenReady, Qt::QueuedConnection);
}

void StoreRegion::refreshWhenReady() {
    scheduled_ = false;
    if (!store_.derivedViewsPending()) {
        refreshIfStale();
    }
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
    refreshWhenReady();
}

}  // namespace lumivex
