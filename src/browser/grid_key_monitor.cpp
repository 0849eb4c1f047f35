#include "browser/grid_key_monitor.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

namespace lumivex {

GridKeyMonitor::GridKeyMonitor(QWidget& grid, SelectionCount selectionCount, Perform perform)
    : grid_(&grid), selectionCount_(std::move(selectionCount)), perform_(std::move(perform)) {
    qApp->installEventFilter(this);
}

GridKeyMonitor::~GridKeyMonitor() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

bool GridKeyMonitor::editingText() {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) {
        return false;
    }
    if (qobject_cast<QLineEdit*>(focus) != nullptr || qobject_cast<QTextEdit*>(focus) != nullptr ||
        qobject_cast<QPlainTextEdit*>(focus) != nullptr ||
        qobject_cast<QAbstractSpinBox*>(focus) != nullptr) {
        return true;
    }
    const auto* combo = qobject_cast<QComboBox*>(focus);
    return combo != nullptr && combo->isEditable();
}

bool GridKeyMonitor::watches(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || !grid_ || !grid_->isVisible() || !grid_->isEnabled()) {
        return false;
    }
    QWidget* window = grid_->window();
    if (widget->window() != window || !window->isActiveWindow()) {
        return false;
    }
    // A key goes first to the focused widget, or to the window when nothing has focus; an
    // unhandled key then visits the parents, and is seen here again, but must act only once.
    QWidget* focus = QApplication::focusWidget();
    if (widget != (focus != nullptr ? focus : window)) {
        return false;
    }
    QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal == window;
}

// The filter menus float in tool windows of the grid's window that never take the focus.
bool GridKeyMonitor::menuPanelShown() const {
    const QList<QWidget*> children =
        grid_->window()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return std::any_of(children.begin(), children.end(), [](const QWidget* child) {
        return child->isWindow() && child->isVisible() && child->windowType() == Qt::Tool;
    });
}

std::optional<GridKeyboardAction> GridKeyMonitor::actionOf(const QKeyEvent& key) const {
    // The menu bar holds the keyboard while it is walked with the keys: they are the bar's.
    const bool menuOpen = QApplication::activePopupWidget() != nullptr || menuPanelShown() ||
                          qobject_cast<QMenuBar*>(QApplication::focusWidget()) != nullptr;
    return GridKeyboardAction::resolve(key.key(), key.text(), key.modifiers(), selectionCount_(),
                                       editingText(), menuOpen);
}

bool GridKeyMonitor::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !watches(watched)) {
        return false;
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const std::optional<GridKeyboardAction> action = actionOf(key);
    if (!action) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        event->accept();  // the key press comes to the grid, not to a shortcut
        return true;
    }
    return perform_(*action);
}

}  // namespace lumivex
