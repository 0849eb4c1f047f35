#pragma once

#include <QWidget>

namespace lumivex {

class LumivexStore;
class WindowState;

// A region of the main window drawn from the store and the window's state. Each change signal
// only marks it stale; it redraws once when the event loop next turns, so an action that writes
// the query several times redraws it once. Main thread.
class StoreRegion : public QWidget {
    Q_OBJECT

public:
    StoreRegion(LumivexStore& store, WindowState& state, QWidget* parent = nullptr);

    // Redraws now when stale (tests and the first show use it).
    void refreshIfStale();

protected:
    // Marks the region stale and schedules the redraw.
    void scheduleRefresh();
    virtual void refresh() = 0;
    void showEvent(QShowEvent* event) override;

    LumivexStore& store_;
    WindowState& state_;

private:
    bool stale_ = true;
    bool scheduled_ = false;
};

}  // namespace lumivex
