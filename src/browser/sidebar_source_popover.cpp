#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/sidebar.h"
#include "browser/sidebar_rows.h"
#include "browser/window_state.h"
#include "media_views/window_placement.h"
#include "store/lumivex_store.h"
#include "store/store_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace lumivex {

namespace {

// The other platform's words, as a Linux user reads them.
const QString photoLibraryTitle = QStringLiteral("사진 보관함");
const QString photoLibraryDetail = QStringLiteral("사진·영상 폴더에 바로 연결");

constexpr int recentRowHeight = 58;
constexpr int recentListMaximum = 290;

// The popover's surface: a dark rounded panel that closes on a click outside it.
class Popover : public QFrame {
public:
    Popover(QWidget* parent, std::function<void()> onHide)
        : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint), onHide_(std::move(onHide)) {
        setAttribute(Qt::WA_DeleteOnClose);
        setFixedWidth(340);
        setStyleSheet(
            QStringLiteral(
                "QFrame#popover { background: %1; border: 1px solid %2; border-radius: 10px; }")
                .arg(BrowserPalette::panel().lighter(118).name(),
                     BrowserPalette::white(0.12).name(QColor::HexArgb)));
        setObjectName(QStringLiteral("popover"));
    }

protected:
    void hideEvent(QHideEvent* event) override {
        QFrame::hideEvent(event);
        if (onHide_) {
            std::exchange(onHide_, nullptr)();
        }
    }

private:
    std::function<void()> onHide_;
};

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setStyleSheet(QStringLiteral("color: %1; margin: 0 10px;")
                            .arg(BrowserPalette::divider().name(QColor::HexArgb)));
    return line;
}

}  // namespace

void Sidebar::refreshPopover() {
    if (state_.sourceMenu() && !popover_) {
        buildPopover();
    } else if (!state_.sourceMenu() && popover_) {
        popover_->close();
        popover_ = nullptr;
    } else if (popover_) {
        QWidget* old = popover_;
        popover_ = nullptr;
        old->close();
        buildPopover();
    }
}

void Sidebar::buildPopover() {
    QPointer<Sidebar> self(this);
    auto* popover = new Popover(this, [self] {
        if (self && self->popover_) {
            self->popover_ = nullptr;
            self->state_.setSourceMenu(false);
        }
    });
    popover_ = popover;
    auto* column = new QVBoxLayout(popover);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(4);
    const bool busy = store_.connectingPhotos() || store_.deleting();
    auto* photos = new SourceOption(photoLibraryTitle, photoLibraryDetail, QStringLiteral("icloud"),
                                    store_.source() == LibrarySource::photos, popover);
    photos->setEnabled(!busy);
    connect(photos, &SourceOption::clicked, this, [this] {
        state_.setSourceMenu(false);
        QTimer::singleShot(0, &store_, &LumivexStore::choosePhotosSource);
    });
    column->addWidget(photos);
    column->addWidget(divider(popover));
    auto* heading = new QLabel(QStringLiteral("최근 기록"), popover);
    heading->setFont(BrowserFonts::system(10, QFont::DemiBold));
    heading->setStyleSheet(QStringLiteral("color: %1; padding: 6px 10px 0 10px;")
                               .arg(BrowserPalette::secondaryText().name(QColor::HexArgb)));
    column->addWidget(heading);
    addRecentFolders(column);
    column->addWidget(divider(popover));
    auto* folder = new SourceOption(QStringLiteral("내 폴더 선택…"),
                                    QStringLiteral("선택한 폴더에 CSV로 분류 저장"),
                                    QStringLiteral("folder.badge.plus"), false, popover);
    folder->setEnabled(!busy);
    connect(folder, &SourceOption::clicked, this, [this] {
        state_.setSourceMenu(false);
        QTimer::singleShot(0, &store_, &LumivexStore::chooseLibrary);
    });
    column->addWidget(folder);
    popover->adjustSize();
    const QPoint anchor = source_->mapToGlobal(QPoint(static_cast<int>(source_->width() * 0.8), 0));
    WindowPlacement::placePopover(
        *popover, QPoint(anchor.x() - popover->width() / 2, anchor.y() - popover->height() - 6),
        QRect(source_->mapToGlobal(QPoint(0, 0)), source_->size()));
    popover->show();
}

void Sidebar::addRecentFolders(QVBoxLayout* layout) {
    const QList<QUrl> folders = store_.recentFolders().folders();
    if (folders.isEmpty()) {
        auto* none = new QLabel(QStringLiteral("최근에 연결한 폴더가 없습니다"), popover_);
        none->setFont(BrowserFonts::system(11));
        none->setStyleSheet(QStringLiteral("color: %1; padding: 10px;")
                                .arg(BrowserPalette::tertiaryText().name(QColor::HexArgb)));
        layout->addWidget(none);
        return;
    }
    auto* scroll = new QScrollArea(popover_);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedHeight(
        std::min(static_cast<int>(folders.size()) * recentRowHeight, recentListMaximum));
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    auto* list = new QWidget;
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    const bool busy = store_.connectingPhotos() || store_.deleting();
    const QString openRoot = StorePaths::standardized(store_.root());
    for (const QUrl& url : folders) {
        const QString path = QDir::cleanPath(url.toLocalFile());
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        const bool current =
            store_.source() == LibrarySource::folder && StorePaths::standardized(path) == openRoot;
        auto* open = new SourceOption(QFileInfo(path).fileName(), path, QStringLiteral("folder"),
                                      current, list);
        open->setToolTip(path);
        open->setEnabled(!busy);
        connect(open, &SourceOption::clicked, this, [this, path] {
            state_.setSourceMenu(false);
            QTimer::singleShot(0, &store_,
                               [store = &store_, path] { store->openLibrary(path, true, true); });
        });
        auto* remove = new QToolButton(list);
        remove->setAutoRaise(true);
        remove->setFixedSize(28, 32);
        remove->setIcon(
            BrowserIcons::icon(QStringLiteral("xmark"), BrowserPalette::secondaryText()));
        remove->setIconSize(QSize(10, 10));
        remove->setToolTip(QStringLiteral("최근 기록에서 제거 · 폴더와 CSV는 유지"));
        remove->setAccessibleName(QFileInfo(path).fileName() +
                                  QStringLiteral(" 최근 기록에서 제거"));
        connect(remove, &QToolButton::clicked, this,
                [this, path] { store_.removeRecentFolder(path); });
        row->addWidget(open, 1);
        row->addWidget(remove);
        rows->addLayout(row);
    }
    rows->addStretch(1);
    scroll->setWidget(list);
    list->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    layout->addWidget(scroll);
}

}  // namespace lumivex
