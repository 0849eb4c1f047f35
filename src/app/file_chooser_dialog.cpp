#include "app/file_chooser_dialog.h"

#include "app/korean_file_columns.h"

#include <QFileDialog>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

namespace lumivex {

FileChooserDialog::FileChooserDialog(QWidget* parent, const QString& title, const QString& message,
                                     const QString& start)
    : QDialog(parent) {
    setWindowTitle(title);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 14, 0, 0);
    column->setSpacing(4);
    message_ = new QLabel(message, this);
    message_->setWordWrap(true);
    message_->setContentsMargins(16, 0, 16, 0);
    column->addWidget(message_);
    // A native dialog would open a window of its own instead of filling this one.
    files_ = new QFileDialog(this, QString(), start);
    files_->setWindowFlags(Qt::Widget);
    files_->setOption(QFileDialog::DontUseNativeDialog, true);
    files_->setProxyModel(new KoreanFileColumns(files_));
    column->addWidget(files_, 1);
    // Qt's places column starts too narrow to read a folder's name.
    if (auto* places = files_->findChild<QSplitter*>()) {
        places->setSizes({170, 590});
    }
    connect(files_, &QFileDialog::finished, this, &QDialog::done);
    resize(760, 520);
}

}  // namespace lumivex
