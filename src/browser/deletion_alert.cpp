#include "browser/deletion_alert.h"

#include "store/lumivex_store.h"

#include <QMessageBox>
#include <QPushButton>

namespace lumivex {

DeletionAlert::DeletionAlert(LumivexStore& store, QWidget* window)
    : QObject(window), store_(store), window_(window) {
    connect(&store_, &LumivexStore::deletionRequestChanged, this, &DeletionAlert::requestChanged);
}

void DeletionAlert::requestChanged() {
    const std::optional<DeletionRequest>& request = store_.deletionRequest();
    if (box_ && (!request || request != shown_)) {
        QPointer<QMessageBox> box = box_;
        box_ = nullptr;
        box->close();
        box->deleteLater();
    }
    if (request && !box_) {
        show(*request);
    }
}

void DeletionAlert::show(const DeletionRequest& request) {
    shown_ = request;
    auto* box = new QMessageBox(window_);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setText(request.title());
    box->setInformativeText(request.message());
    QPushButton* cancel = box->addButton(QStringLiteral("취소"), QMessageBox::RejectRole);
    // The destructive button stands last, where Qt's layouts put an action and never a destructive
    // button; "취소" stays the default.
    QPushButton* confirm =
        box->addButton(request.source == LibrarySource::photos ? QStringLiteral("삭제")
                                                               : QStringLiteral("휴지통으로 이동"),
                       QMessageBox::AcceptRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::finished, this,
            [this, box, confirm] { closed(box->clickedButton() == confirm); });
    box_ = box;
    box->open();
}

void DeletionAlert::closed(bool confirmed) {
    if (!box_) {
        return;
    }
    box_->deleteLater();
    box_ = nullptr;
    const std::optional<DeletionRequest> request = std::exchange(shown_, std::nullopt);
    if (confirmed && request) {
        store_.confirmDeletion(*request);
    } else if (store_.deletionRequest() == request) {
        store_.cancelDeletionRequest();
    }
}

}  // namespace lumivex
