#pragma once

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;

namespace lumivex {

class LumivexStore;
class LumivexUpdateController;

// The application's own menu items: the first menu, named after the application, with
// "업데이트 확인…", "설정…" and quitting; the File menu's library commands; and Help's shortcut
// table. The File items that need a library are disabled without one. Main thread.
class AppCommands final : public QObject {
    Q_OBJECT

public:
    // Adds the application menu and the File menu to `bar`; the Help menu comes last, so it is
    // added by addHelpMenu().
    struct Actions {
        std::function<void()> showSettings;
        std::function<void()> showShortcuts;
        std::function<void()> quit;
    };

    AppCommands(LumivexStore& store, LumivexUpdateController& updates, Actions actions,
                QMenuBar& bar, QObject* parent = nullptr);
    void addHelpMenu(QMenuBar& bar);

    QAction* updateCheckAction() const { return updateCheck_; }
    QAction* settingsAction() const { return settings_; }
    QAction* quitAction() const { return quit_; }
    QAction* openLibraryAction() const { return openLibrary_; }
    QAction* photosAction() const { return photos_; }
    QAction* showFilesAction() const { return showFiles_; }
    QAction* refreshAction() const { return refresh_; }
    QAction* exportAction() const { return export_; }
    QAction* shortcutsAction() const { return shortcuts_; }

private:
    void addApplicationMenu(QMenuBar& bar);
    void addFileMenu(QMenuBar& bar);
    void sync();

    LumivexStore& store_;
    LumivexUpdateController& updates_;
    Actions actions_;
    QAction* updateCheck_ = nullptr;
    QAction* settings_ = nullptr;
    QAction* quit_ = nullptr;
    QAction* openLibrary_ = nullptr;
    QAction* photos_ = nullptr;
    QAction* showFiles_ = nullptr;
    QAction* refresh_ = nullptr;
    QAction* export_ = nullptr;
    QAction* shortcuts_ = nullptr;
};

}  // namespace lumivex
