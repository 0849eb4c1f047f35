#pragma once

#include <QObject>

#include <functional>

class QPoint;
class QWidget;

namespace lumivex {

// Closes an open option picker when the keyboard focus or a mouse press lands elsewhere in its
// window, so a list the user has left does not stay open under the next control. Menus and
// alerts are windows of their own and leave the picker open. Watches the application only while
// the picker is open. Main thread.
class PickerDismissal final : public QObject {
    Q_OBJECT

public:
    PickerDismissal(QWidget& picker, std::function<void()> dismiss);

    void setWatching(bool watching);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool outside(QObject* watched) const;
    bool covers(QPoint global) const;

    QWidget& picker_;
    std::function<void()> dismiss_;
    bool watching_ = false;
};

}  // namespace lumivex
