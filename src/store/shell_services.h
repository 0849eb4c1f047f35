#pragma once

#include <QString>

#include <optional>

namespace lumivex {

// What the store asks of the desktop: the folder and export panels (modal, so they answer at
// once), the file manager, the end of text editing and the sign that the window cannot answer for
// a while. The view layer implements it on the main thread; tests script it.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // The chosen folder, or nothing when the panel was cancelled.
    virtual std::optional<QString> chooseFolder(const QString& startFolder, const QString& message,
                                                const QString& confirmTitle) = 0;
    // The chosen CSV file, or nothing when the panel was cancelled.
    virtual std::optional<QString> chooseExportFile(const QString& proposedName,
                                                    const QString& message) = 0;
    // Shows the file manager with this file selected.
    virtual void reveal(const QString& path) = 0;
    // Opens a file or folder with the default application.
    virtual void open(const QString& path) = 0;
    // Makes the window's text field give up focus, committing what was typed.
    virtual void endTextEditing() = 0;
    // Synchronous work that keeps the main thread for a while begins or ends (see LongWork): the
    // person must see that work is under way, since the window cannot answer meanwhile. Calls
    // nest; every begin has its end.
    virtual void beginLongWork() = 0;
    virtual void endLongWork() = 0;
};

}  // namespace lumivex
