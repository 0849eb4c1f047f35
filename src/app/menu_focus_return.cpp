#include "app/menu_focus_return.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace lumivex {

MenuFocusReturn::MenuFocusReturn(QMenuBar& bar) : QObject(&bar) {
    for (QAction* action : bar.actions()) {
        if (QMenu* menu = action->menu()) {
            menu->installEventFilter(this);
        }
    }
}

bool MenuFocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) {
        return false;
    }
    // A popup that closes hands the focus back to its window's focus widget; only the menu's own
    // Escape would put the bar in its keyboard mode first.
    static_cast<QMenu*>(watched)->hide();
    return true;
}

}  // namespace lumivex
