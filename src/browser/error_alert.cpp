#include "browser/error_alert.h"

#include "store/lumivex_store.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace lumivex {

ErrorAlert::ErrorAlert(LumivexStore& store, QWidget* window)
    : QObject(window), store_(store), window_(window) {
    connect(&store_, &LumivexStore::errorChanged, this, &ErrorAlert::sync);
}

void ErrorAlert::sync() {
    const std::optional<QString>& error = store_.error();
    if (!error) {
        if (box_) {
            QPointer<QMessageBox> box = box_;
            box_ = nullptr;
            box->close();
            box->deleteLater();
        }
        return;
    }
    if (box_) {
        box_->setInformativeText(*error);
        return;
    }
    auto* box = new QMessageBox(owner());
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setText(QStringLiteral("확인이 필요합니다"));
    box->setInformativeText(*error);
    QPushButton* ok = box->addButton(QStringLiteral("확인"), QMessageBox::RejectRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    connect(box, &QMessageBox::finished, this, [this, box] {
        box->deleteLater();
        if (box_ == box) {
            box_ = nullptr;
            store_.setError(std::nullopt);
        }
    });
    box_ = box;
    box->open();
    if (QApplication::activeWindow() != nullptr) {
        box->activateWindow();
    }
}

// A sheet over the window that asked for the refused edit holds the keyboard; the alert stands
// over that sheet, so that the window manager hands the keyboard on to it.
QWidget* ErrorAlert::owner() const {
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* up = modal; up != nullptr; up = up->parentWidget()) {
        if (up == window_) {
            return modal;
        }
    }
    return window_;
}

}  // namespace lumivex
