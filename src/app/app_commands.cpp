#include "app/app_commands.h"

#include "app/lumivex_update_controller.h"
#include "platform/app_brand.h"
#include "store/lumivex_store.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lumivex {

AppCommands::AppCommands(LumivexStore& store, LumivexUpdateController& updates, Actions actions,
                         QMenuBar& bar, QObject* parent)
    : QObject(parent), store_(store), updates_(updates), actions_(std::move(actions)) {
    addApplicationMenu(bar);
    addFileMenu(bar);
    connect(&store_, &LumivexStore::sourceChanged, this, &AppCommands::sync);
    sync();
}

// Linux has no application menu of the system's; its items stand in the first menu.
void AppCommands::addApplicationMenu(QMenuBar& bar) {
    QMenu* menu = bar.addMenu(AppBrand::name());
    updateCheck_ = menu->addAction(QStringLiteral("업데이트 확인…"), this,
                                   [this] { updates_.requestUpdateCheck(); });
    menu->addSeparator();
    settings_ = menu->addAction(QStringLiteral("설정…"), this, [this] { actions_.showSettings(); });
    settings_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    // The settings open from any of the application's windows.
    settings_->setShortcutContext(Qt::ApplicationShortcut);
    settings_->setMenuRole(QAction::NoRole);
    menu->addSeparator();
    quit_ = menu->addAction(AppBrand::name() + QStringLiteral(" 종료"), this,
                            [this] { actions_.quit(); });
    quit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit_->setShortcutContext(Qt::ApplicationShortcut);
    quit_->setMenuRole(QAction::NoRole);
}

void AppCommands::addFileMenu(QMenuBar& bar) {
    QMenu* menu = bar.addMenu(QStringLiteral("파일"));
    openLibrary_ = menu->addAction(QStringLiteral("라이브러리 열기…"), this,
                                   [this] { store_.chooseLibrary(); });
    openLibrary_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    photos_ = menu->addAction(QStringLiteral("사진 보관함"), this,
                              [this] { store_.choosePhotosSource(); });
    photos_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    showFiles_ =
        menu->addAction(QStringLiteral("현재 폴더 열기"), this, [this] { store_.showFiles(); });
    showFiles_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    refresh_ = menu->addAction(QStringLiteral("새로고침"), this, [this] { store_.rescan(true); });
    refresh_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    menu->addSeparator();
    export_ =
        menu->addAction(QStringLiteral("CSV 내보내기…"), this, [this] { store_.exportCSV(); });
    export_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
}

void AppCommands::addHelpMenu(QMenuBar& bar) {
    QMenu* menu = bar.addMenu(QStringLiteral("도움말"));
    shortcuts_ = menu->addAction(AppBrand::name() + QStringLiteral(" 단축키"), this,
                                 [this] { actions_.showShortcuts(); });
    shortcuts_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Slash));
    // Never disabled, and heard from the settings window too.
    shortcuts_->setShortcutContext(Qt::ApplicationShortcut);
}

void AppCommands::sync() {
    const bool open = store_.source() != LibrarySource::none;
    for (QAction* action : {showFiles_, refresh_, export_}) {
        action->setEnabled(open);
    }
}

}  // namespace lumivex
