#include "browser/store_region.h"

#include "browser/window_state.h"
#include "store/lumivex_store.h"

#include <QCoreApplication>
#include <QLayout>
#include <QScrollArea>

#include <algorithm>
#include <vector>

namespace lumivex {

namespace {

// A widget added to the layout of a shown widget is shown by a call Qt queues for the next turn
// of the event loop, which the window would paint without it: that call runs now. `widgets` come
// parents first, so a parent shown here shows its children with it.
void showAdded(const QList<QWidget*>& widgets) {
    for (QWidget* widget : widgets) {
        if (!widget->isVisible() && !widget->isWindow() && widget->parentWidget()->isVisible() &&
            !widget->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
            QCoreApplication::sendPostedEvents(widget, QEvent::MetaCall);
        }
    }
}

// Lays out one widget whose own content is laid out already. A scroll area sizes its content
// when asked for a layout: asked now rather than by event.
void settle(QWidget* widget) {
    if (qobject_cast<QScrollArea*>(widget)) {
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(widget, &request);
    }
    if (QLayout* layout = widget->layout()) {
        layout->activate();
    }
}

}  // namespace

StoreRegion::StoreRegion(LumivexStore& store, WindowState& state, QWidget* parent)
    : QWidget(parent), store_(store), state_(state) {
    connect(&state_, &WindowState::changed, this, &StoreRegion::scheduleRefresh);
    connect(&store_, &LumivexStore::derivedViewsReady, this, &StoreRegion::scheduleRefresh);
    connect(&store_, &LumivexStore::rootChanged, this, &StoreRegion::scheduleRefresh);
    connect(&store_, &LumivexStore::sourceChanged, this, &StoreRegion::scheduleRefresh);
}

void StoreRegion::scheduleRefresh() {
    stale_ = true;
    if (scheduled_) {
        return;
    }
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &StoreRegion::refreshWhenReady, Qt::QueuedConnection);
}

StoreRegion::LibraryIdentity StoreRegion::currentLibrary() const {
    return {store_.source(), store_.root()};
}

void StoreRegion::refreshWhenReady() {
    scheduled_ = false;
    if (!store_.derivedViewsPending()) {
        refreshIfStale();
    } else if (shownLibrary_ != currentLibrary()) {
        refreshLoading();
        shownLibrary_ = currentLibrary();
        settleLayout();
    }
}

void StoreRegion::refreshIfStale() {
    scheduled_ = false;
    if (!stale_) {
        return;
    }
    stale_ = false;
    refresh();
    shownLibrary_ = currentLibrary();
    settleLayout();
}

void StoreRegion::settleLayout() {
    if (!isVisible()) {
        return;
    }
    const QList<QWidget*> widgets = findChildren<QWidget*>();
    showAdded(widgets);
    std::vector<std::pair<int, QWidget*>> nested;
    for (QWidget* widget : widgets) {
        if (widget->isVisible() && (widget->layout() || qobject_cast<QScrollArea*>(widget))) {
            int depth = 0;
            for (QWidget* up = widget; up != this; up = up->parentWidget()) {
                ++depth;
            }
            nested.emplace_back(depth, widget);
        }
    }
    std::stable_sort(nested.begin(), nested.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [depth, widget] : nested) {
        settle(widget);
    }
    for (QWidget* widget = this; widget; widget = widget->parentWidget()) {
        settle(widget);
        if (widget->isWindow()) {
            break;
        }
    }
}

// Polished right before it is first shown: the window lays out and paints the region as drawn
// from the store, never as it was made.
bool StoreRegion::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Polish) {
        refreshWhenReady();
    }
    return handled;
}

void StoreRegion::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshWhenReady();
}

}  // namespace lumivex
