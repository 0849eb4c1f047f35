#include "browser/media_card_menu.h"

#include "browser/browser_settings.h"
#include "store/lumivex_store.h"
#include "store/shell_services.h"

#include <QMenu>

namespace lumivex::MediaCardMenu {

namespace {

// The wording of the entries, in this platform's words.
struct Words {
    static QString open(const MediaItem& item) {
        return item.kind == MediaKind::video ? QStringLiteral("재생") : QStringLiteral("미리보기");
    }
    static QString reveal(bool photos) {
        return photos ? QStringLiteral("사진 폴더 열기") : QStringLiteral("파일 관리자에서 보기");
    }
    static QString openWithDefault() { return QStringLiteral("기본 앱으로 열기"); }
    static QString remove(qsizetype selectedCount) {
        if (selectedCount > 1) {
            return QStringLiteral("선택한 ") + QString::number(selectedCount) +
                   QStringLiteral("개 삭제…");
        }
        return QStringLiteral("삭제…");
    }
};

}  // namespace

QMenu* make(const MediaItem& item, Services services, std::function<void()> open, QWidget* parent) {
    LumivexStore& store = *services.store;
    auto* menu = new QMenu(parent);
    QObject::connect(menu->addAction(Words::open(item)), &QAction::triggered, menu,
                     [open = std::move(open)] { open(); });
    const bool photos = BrowserSettings::isPhotosItem(item);
    QObject::connect(menu->addAction(Words::reveal(photos)), &QAction::triggered, menu,
                     [&store, item] { store.reveal(item); });
    if (!photos && item.kind == MediaKind::photo) {
        const QString path = store.root() + QLatin1Char('/') + item.filename;
        ShellServices* shell = services.shell;
        QObject::connect(menu->addAction(Words::openWithDefault()), &QAction::triggered, menu,
                         [shell, path] { shell->open(path); });
    }
    menu->addSeparator();
    const qsizetype selected =
        store.selection().contains(item.id) ? store.selectedItems().size() : 0;
    QAction* remove = menu->addAction(Words::remove(selected));
    remove->setEnabled(!store.deleting() && !store.locked());
    QObject::connect(remove, &QAction::triggered, menu,
                     [&store, item] { store.requestDeletion(item); });
    return menu;
}

void popup(const MediaItem& item, Services services, QPoint globalPosition,
           std::function<void()> open, QWidget* parent) {
    QMenu* menu = make(item, services, std::move(open), parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

}  // namespace lumivex::MediaCardMenu
