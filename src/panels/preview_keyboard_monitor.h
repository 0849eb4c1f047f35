#pragma once

#include "media_views/shortcut_override_claim.h"
#include "store/grid_navigation.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;

namespace lumivex {

// The preview's keys, read by an application event filter while the preview is in a window:
// digits rate the previewed item (a refused rating lets the key go on), Ctrl+arrows and ',' '.'
// move to a neighbour and take the focus back to the preview. It also answers ShortcutOverride
// for the keys it uses, since menu shortcuts match before key presses. Keys of another window,
// or while a modal window or a popup is up, or while text is edited, pass. Once in a window it
// claims the keyboard focus (ending any text editing), retrying each time the window becomes
// active until a claim succeeds. Main thread.
class PreviewKeyboardMonitor final : public QObject {
public:
    using MoveAction = std::function<void(GridNavigationDirection)>;
    using RateAction = std::function<bool(int)>;

    // `anchor` is the preview: its window is the one whose keys count, and it takes the focus.
    PreviewKeyboardMonitor(QWidget* anchor, MoveAction onMove, RateAction onRate);
    ~PreviewKeyboardMonitor() override;

    void setActions(MoveAction onMove, RateAction onRate);
    // Installs the filter and claims the focus; `stop` removes both.
    void start();
    void stop();
    void claimKeyboardFocus();

    bool isMonitoring() const { return monitoring_; }
    bool needsInitialFocus() const { return needsInitialFocus_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool accepts(QObject* watched) const;
    bool handle(const QKeyEvent& key);

    QPointer<QWidget> anchor_;
    MoveAction onMove_;
    RateAction onRate_;
    bool monitoring_ = false;
    bool needsInitialFocus_ = false;
    ShortcutOverrideClaim claim_;
};

}  // namespace lumivex
