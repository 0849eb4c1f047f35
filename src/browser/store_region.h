#pragma once

#include <QWidget>

namespace lumivex {

class LumivexStore;
class WindowState;

// A region of the main window drawn from the store and the window's state. Each change signal
// only marks it stale; it redraws once when the event loop next turns, so an action that writes
// the query several times redraws it once, and it is laid out within its redraw. While the store
// builds its views off the main thread the region keeps what it shows and redraws when they are
// ready. Main thread.
class StoreRegion : public QWidget {
    Q_OBJECT

public:
    StoreRegion(LumivexStore& store, WindowState& state, QWidget* parent = nullptr);

    // Redraws now when stale (tests use it), waiting for views still being built.
    void refreshIfStale();

protected:
    // Marks the region stale and schedules the redraw.
    void scheduleRefresh();
    virtual void refresh() = 0;
    // Redraws when stale and the store's views are ready.
    void refreshWhenReady();
    // Lays out now what a redraw changed, innermost first, up to the window: left to the event
    // loop, each level of nested layouts would settle in a turn of its own and the window would
    // paint the steps between, texts cut short beside the space they are about to get.
    void settleLayout();
    void showEvent(QShowEvent* event) override;

    LumivexStore& store_;
    WindowState& state_;

private:
    bool stale_ = true;
    bool scheduled_ = false;
};

}  // namespace lumivex
