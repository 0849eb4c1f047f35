#include "app/desktop_shell.h"

#include "browser/grid_key_monitor.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

namespace lumivex {

namespace {

// Asks the session's file manager to show the file selected; false when none answers.
bool showItemInFileManager(const QString& path) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

std::optional<QString> DesktopShell::chooseFolder(const QString& startFolder,
                                                  const QString& message,
                                                  const QString& confirmTitle) {
    QFileDialog dialog(window_, message, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::Accept, confirmTitle);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> DesktopShell::chooseExportFile(const QString& proposedName,
                                                      const QString& message) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(window_, message, QDir(folder).filePath(proposedName),
                       QStringLiteral("CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

void DesktopShell::reveal(const QString& path) {
    if (!showItemInFileManager(path)) {
        open(QFileInfo(path).absolutePath());
    }
}

void DesktopShell::open(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// Only a text field gives the keyboard up: the grid or a control holding it keeps it, or the
// window would hand it to its first field, the search, the next time it becomes active.
void DesktopShell::endTextEditing() {
    if (QWidget* focused = QApplication::focusWidget(); focused && GridKeyMonitor::editingText()) {
        focused->clearFocus();
    }
}

}  // namespace lumivex
