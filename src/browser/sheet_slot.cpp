#include "browser/sheet_slot.h"

#include <QDialog>
#include <QVBoxLayout>

namespace lumivex {

SheetSlot::SheetSlot(QWidget* window, std::function<bool()> shown, std::function<void()> dismissed)
    : QObject(window),
      window_(window),
      shown_(std::move(shown)),
      dismissed_(std::move(dismissed)) {}

void SheetSlot::sync() {
    const bool shown = shown_();
    if (shown && !dialog_) {
        open();
    } else if (!shown && dialog_) {
        QPointer<QDialog> dialog = dialog_;
        dialog_ = nullptr;
        // Ends the dialog without its own reject(), which a view may use to reset `shown`.
        dialog->done(QDialog::Rejected);
        dialog->deleteLater();
    }
}

QDialog* SheetSlot::plainDialog() {
    auto* dialog = new QDialog(window_);
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    if (factory_) {
        QWidget* content = factory_([dialog] { dialog->reject(); });
        // The sheet is a window of its own, named by its content's heading.
        dialog->setWindowTitle(content->windowTitle());
        layout->addWidget(content);
    } else {
        dialog->resize(420, 240);
    }
    return dialog;
}

void SheetSlot::open() {
    QDialog* dialog = dialogFactory_ ? dialogFactory_(window_) : plainDialog();
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        dialog->deleteLater();
        if (dialog_ == dialog) {
            dialog_ = nullptr;
            dismissed_();
        }
    });
    dialog_ = dialog;
    present(*dialog);
}

void SheetSlot::present(QDialog& dialog) {
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setWindowFlag(Qt::FramelessWindowHint);
    dialog.open();
}

}  // namespace lumivex
