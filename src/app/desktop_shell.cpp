#include "app/desktop_shell.h"

#include "app/file_chooser_dialog.h"
#include "browser/grid_key_monitor.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
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

// Runs the dialog window-modal over the main window; the first chosen file, or nothing.
std::optional<QString> chosenFile(FileChooserDialog& dialog) {
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.files().selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.files().selectedFiles().constFirst();
}

// The documents folder, or the home folder when there is none: the dialog would otherwise start
// in whatever folder the process was started from.
QString exportFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

}  // namespace

std::optional<QString> DesktopShell::chooseFolder(const QString& startFolder,
                                                  const QString& message,
                                                  const QString& confirmTitle) {
    FileChooserDialog dialog(window_, confirmTitle, message, startFolder);
    QFileDialog& files = dialog.files();
    files.setFileMode(QFileDialog::Directory);
    files.setOption(QFileDialog::ShowDirsOnly, true);
    files.setLabelText(QFileDialog::Accept, confirmTitle);
    return chosenFile(dialog);
}

std::optional<QString> DesktopShell::chooseExportFile(const QString& proposedName,
                                                      const QString& message) {
    FileChooserDialog dialog(window_, QStringLiteral("CSV 내보내기"), message,
                             QDir(exportFolder()).filePath(proposedName));
    QFileDialog& files = dialog.files();
    files.setNameFilter(QStringLiteral("CSV (*.csv)"));
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setDefaultSuffix(QStringLiteral("csv"));
    return chosenFile(dialog);
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

// The wait pointer says that the application cannot answer, which is the truth while the main
// thread works; the busy pointer (an arrow with a watch) would say that it still takes clicks while
// it works in the background. The xcb backend sends the pointer's change to the X server at once,
// which draws it without the application, so the pointer turns before the work begins. The
// windows are painted first, so that while the work runs they show what they hold now (a picker
// no longer offering what was just chosen, a closed menu gone) rather than the picture from
// before the click; what only the event loop redraws (a region's next redraw, the place of a
// dialog whose frame the window manager takes away) stays as it was. Nested work keeps the
// pointer until the outermost ends.
void DesktopShell::beginLongWork() {
    if (longWork_++ > 0) {
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->repaint();
        }
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void DesktopShell::endLongWork() {
    if (--longWork_ == 0) {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace lumivex
