#pragma once

#include "catalog/deletion_request.h"

#include <QObject>
#include <QPointer>

#include <optional>

#include <QMessageBox>
class QWidget;

namespace lumivex {

class LumivexStore;

// The confirmation of a deletion the store asked for: a window-modal message box with the
// request's title and message, "취소" and "휴지통으로 이동" (or "삭제" for the photo library).
// Confirming hands the very request it showed to the store, whose own checks decide; any other
// way of closing it withdraws the request. Main thread.
class DeletionAlert : public QObject {
    Q_OBJECT

public:
    DeletionAlert(LumivexStore& store, QWidget* window);

    // The box while it is shown.
    QMessageBox* box() const { return box_; }

private:
    void requestChanged();
    void show(const DeletionRequest& request);
    void closed(bool confirmed);

    LumivexStore& store_;
    QWidget* window_;
    QPointer<QMessageBox> box_;
    std::optional<DeletionRequest> shown_;
};

}  // namespace lumivex
