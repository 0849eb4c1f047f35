#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace lumivex {

// Closes an open option picker when Tab or Shift+Tab takes the keyboard to a control outside it,
// so a list the keyboard has left does not stay open under the next control. Focus taken by a
// click or given by the application leaves the list open: a person reaches its rows and menus
// with the mouse. Watches the application only while the picker is open. Main thread.
class PickerDismissal final : public QObject {
    Q_OBJECT

public:
    PickerDismissal(QWidget& picker, std::function<void()> dismiss);

    void setWatching(bool watching);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool outside(const QWidget& widget) const;

    QWidget& picker_;
    std::function<void()> dismiss_;
    bool watching_ = false;
    bool tabbedOut_ = false;
};

}  // namespace lumivex
