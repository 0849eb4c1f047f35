#pragma once

#include <QPointer>

#include <functional>

class QWidget;

namespace lumivex {

// Gives the keyboard back, when what came up over the window goes (a sheet, an alert, a panel,
// another application), to the control of the window that had it before: that control while it
// is still shown and enabled, else the control `fallback` names (the grid). Qt alone goes back to
// a control that is still there, but hands the keyboard to the first control of the window's chain,
// the search field, when a redraw replaced it meanwhile; a digit meant to rate would type there.
// Main thread.
class FocusReturn {
public:
    // `fallback` gives the control to take the keyboard, or nothing when none can.
    FocusReturn(QWidget& view, std::function<QWidget*()> fallback);

    // Remembers the window's control with the keyboard; nothing when no control has it.
    void hold();
    // Gives the keyboard back to what `hold` remembered; does nothing without a `hold`.
    void release();

private:
    QWidget& view_;
    std::function<QWidget*()> fallback_;
    bool holding_ = false;
    QPointer<QWidget> held_;
};

}  // namespace lumivex
