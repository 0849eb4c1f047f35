#pragma once

#include <QDialog>

class QFileDialog;
class QLabel;

namespace lumivex {

// Qt's own file dialog inside a window of ours, so that the title bar holds a short title and the
// explanation stands above the files, where it is read whole; every text of it is Korean, its
// columns included. The caller sets the file dialog's mode and reads its selection. Main thread.
class FileChooserDialog final : public QDialog {
    Q_OBJECT

public:
    FileChooserDialog(QWidget* parent, const QString& title, const QString& message,
                      const QString& start);

    QFileDialog& files() const { return *files_; }
    QLabel* message() const { return message_; }

private:
    QLabel* message_ = nullptr;
    QFileDialog* files_ = nullptr;
};

}  // namespace lumivex
