#pragma once

#include "browser/grid_keyboard_action.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QWidget;

namespace lumivex {

// Watches the keys of the grid's window before any widget or shortcut sees them, as an
// application event filter: while the window is active and nothing modal is up, a key that
// means something to the grid goes to `perform`, and is consumed when it returns true. Keys
// typed into a text field, or while a menu or popup is open, are left alone. Main thread.
class GridKeyMonitor final : public QObject {
    Q_OBJECT

public:
    using Perform = std::function<bool(const GridKeyboardAction&)>;
    using SelectionCount = std::function<qsizetype()>;

    GridKeyMonitor(QWidget& grid, SelectionCount selectionCount, Perform perform);
    ~GridKeyMonitor() override;

    // Whether the focused widget takes typed text.
    static bool editingText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool watches(QObject* watched) const;
    bool menuPanelShown() const;
    std::optional<GridKeyboardAction> actionOf(const QKeyEvent& key) const;

    QPointer<QWidget> grid_;
    SelectionCount selectionCount_;
    Perform perform_;
};

}  // namespace lumivex
