#pragma once

#include "store/shell_services.h"

#include <QPointer>

class QWidget;

namespace lumivex {

// The store's desktop services on a Linux desktop: Qt's folder and save panels (window-modal
// over the main window), the file manager through the freedesktop FileManager1 D-Bus interface
// (else the folder is opened), the default applications through QDesktopServices, and the wait
// pointer over every window during long work. Main thread.
class DesktopShell final : public ShellServices {
public:
    // The window the panels belong to; may be set after construction.
    void setWindow(QWidget* window) { window_ = window; }

    std::optional<QString> chooseFolder(const QString& startFolder, const QString& message,
                                        const QString& confirmTitle) override;
    std::optional<QString> chooseExportFile(const QString& proposedName,
                                            const QString& message) override;
    void reveal(const QString& path) override;
    void open(const QString& path) override;
    void endTextEditing() override;
    void beginLongWork() override;
    void endLongWork() override;

private:
    QPointer<QWidget> window_;
    int longWork_ = 0;  // nested long work under way
};

}  // namespace lumivex
