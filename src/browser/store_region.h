#pragma once

#include "model/library_source.h"

#include <QWidget>

#include <optional>
#include <utility>

namespace lumivex {

class LumivexStore;
class WindowState;

// A region of the main window drawn from the store and the window's state. Each change signal
// only marks it stale; it redraws once when the event loop next turns, so an action that writes
// the query several times redraws it once, and it is laid out within its redraw. While the store
// builds its views off the main thread the region keeps what it shows and redraws when they are
// ready; a region that shows nothing of the library being built yet (before it is first shown,
// or after another library opened) shows that library loading instead. Main thread.
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
    // Draws the region while the views of a library it does not show yet are being built: from what
    // the store holds besides them, with the loading state in place of what they would give.
    virtual void refreshLoading() = 0;
    // Redraws when stale and the store's views are ready.
    void refreshWhenReady();
    // Lays out now what a redraw changed, innermost first, up to the window: left to the event
    // loop, each level of nested layouts would settle in a turn of its own and the window would
    // paint the steps between, texts cut short beside the space they are about to get.
    void settleLayout();
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

    LumivexStore& store_;
    WindowState& state_;

private:
    // A library by its source and root.
    using LibraryIdentity = std::pair<LibrarySource, QString>;

    LibraryIdentity currentLibrary() const;

    bool stale_ = true;
    bool scheduled_ = false;
    // The library the region shows, loading or drawn.
    std::optional<LibraryIdentity> shownLibrary_;
};

}  // namespace lumivex
