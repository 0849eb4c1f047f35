#pragma once

#include <QObject>
#include <QPointer>

#include <QMessageBox>
class QWidget;

namespace lumivex {

class LumivexStore;

// The store's error text in a window-modal message box titled "확인이 필요합니다" with one
// button, "확인"; closing it in any way clears the error. It stands over the sheet that is up, if
// any, and takes the keyboard. Main thread.
class ErrorAlert : public QObject {
    Q_OBJECT

public:
    ErrorAlert(LumivexStore& store, QWidget* window);

    QMessageBox* box() const { return box_; }
    // Shows the store's error, hides the box when there is none. It follows the store's changes;
    // the window calls it when it becomes active, for an error met before it existed (a library
    // that could not open at start).
    void sync();

private:
    QWidget* owner() const;

    LumivexStore& store_;
    QWidget* window_;
    QPointer<QMessageBox> box_;
};

}  // namespace lumivex
