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

private:
    void errorChanged();
    QWidget* owner() const;

    LumivexStore& store_;
    QWidget* window_;
    QPointer<QMessageBox> box_;
};

}  // namespace lumivex
