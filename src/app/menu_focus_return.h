#pragma once

#include <QObject>

class QMenuBar;

namespace lumivex {

// Escape in a menu of the menu bar closes the menu and gives the keyboard straight back to the
// widget that had it. Qt would leave the bar holding the keyboard, its title highlighted, until a
// second Escape: typed text and digits meant for a field would reach the bar and the grid
// instead. Watches the bar's menus as they are when it is made. Main thread.
class MenuFocusReturn final : public QObject {
    Q_OBJECT

public:
    explicit MenuFocusReturn(QMenuBar& bar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lumivex
