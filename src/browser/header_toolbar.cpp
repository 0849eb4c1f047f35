#include "browser/header_toolbar.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/window_state.h"
#include "platform/app_brand.h"
#include "store/lumivex_store.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

// The other platform's words and keys, as a Linux user reads them.
const QString photoLibraryEntry = QStringLiteral("사진 보관함");
const QString undoShortcut = QStringLiteral(" · Ctrl+Z");
const QString redoShortcut = QStringLiteral(" · Ctrl+Shift+Z");
const QString refreshHelp = QStringLiteral("파일 목록 새로고침 · Ctrl+R");
const QString settingsHelp = QStringLiteral("앱 설정 · Ctrl+,");

// The rounded field behind the search text.
class SearchBackground : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 8, 8);
        painter.fillPath(path, BrowserPalette::white(0.055));
    }
};

}  // namespace

HeaderToolbar::HeaderToolbar(LumivexStore& store, WindowState& state, QWidget* parent)
    : StoreRegion(store, state, parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(22, 32, 22, 18);
    row->setSpacing(20);
    row->addWidget(makeTitleBlock());
    row->addWidget(makeSearchField(), 1);
    row->addStretch(0);
    auto* history = new QHBoxLayout;
    history->setSpacing(12);
    undo_ = iconButton(QStringLiteral("arrow.uturn.backward"), {});
    redo_ = iconButton(QStringLiteral("arrow.uturn.forward"), {});
    history->addWidget(undo_);
    history->addWidget(redo_);
    row->addLayout(history);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFixedHeight(16);
    divider->setStyleSheet(
        QStringLiteral("color: %1").arg(BrowserPalette::divider().name(QColor::HexArgb)));
    row->addWidget(divider);
    refresh_ = iconButton(QStringLiteral("arrow.clockwise"), refreshHelp);
    inspector_ = iconButton(QStringLiteral("sidebar.right"), QStringLiteral("분류 편집 패널"));
    settings_ = iconButton(QStringLiteral("gearshape"), settingsHelp);
    settings_->setAccessibleName(AppBrand::name() + QStringLiteral(" 설정"));
    more_ = iconButton(QStringLiteral("ellipsis.circle"), {});
    menu_ = new QMenu(more_);
    more_->setMenu(menu_);
    more_->setPopupMode(QToolButton::InstantPopup);
    more_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    for (QToolButton* button : {refresh_, inspector_, settings_, more_}) {
        row->addWidget(button);
    }
    connect(undo_, &QToolButton::clicked, this, [this] { store_.undoMetadata(); });
    connect(redo_, &QToolButton::clicked, this, [this] { store_.redoMetadata(); });
    connect(refresh_, &QToolButton::clicked, this, [this] { store_.rescan(true); });
    connect(inspector_, &QToolButton::clicked, this,
            [this] { state_.setShowInspector(!state_.showInspector()); });
    connect(settings_, &QToolButton::clicked, this, &HeaderToolbar::settingsRequested);
    connect(menu_, &QMenu::aboutToShow, this, &HeaderToolbar::refreshMenu);
    for (const auto signal : {&LumivexStore::queryChanged, &LumivexStore::sourceChanged,
                              &LumivexStore::metadataHistoryChanged, &LumivexStore::lockedChanged,
                              &LumivexStore::scanningChanged, &LumivexStore::deletingChanged,
                              &LumivexStore::deletionRequestChanged}) {
        connect(&store_, signal, this, &HeaderToolbar::scheduleRefresh);
    }
    refreshMenu();
}

QWidget* HeaderToolbar::makeTitleBlock() {
    auto* block = new QWidget(this);
    block->setFixedWidth(185);
    auto* row = new QHBoxLayout(block);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto* symbol = new QLabel(block);
    symbol->setPixmap(BrowserIcons::pixmap(QStringLiteral("square.grid.2x2.fill"), 24,
                                           BrowserPalette::mint(), devicePixelRatioF()));
    row->addWidget(symbol);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* name = new QLabel(AppBrand::name(), block);
    name->setFont(BrowserFonts::system(21, QFont::DemiBold));
    name->setTextFormat(Qt::PlainText);
    auto* motto = new QLabel(QStringLiteral("나만의 기준으로 모으다"), block);
    motto->setFont(BrowserFonts::system(10));
    motto->setStyleSheet(
        QStringLiteral("color: %1").arg(BrowserPalette::secondaryText().name(QColor::HexArgb)));
    texts->addWidget(name);
    texts->addWidget(motto);
    row->addLayout(texts);
    row->addStretch(1);
    return block;
}

QWidget* HeaderToolbar::makeSearchField() {
    auto* field = new SearchBackground(this);
    field->setMaximumWidth(440);
    auto* row = new QHBoxLayout(field);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    auto* glass = new QLabel(field);
    glass->setPixmap(BrowserIcons::pixmap(QStringLiteral("magnifyingglass"), 14,
                                          BrowserPalette::secondaryText(), devicePixelRatioF()));
    row->addWidget(glass);
    search_ = new QLineEdit(field);
    search_->setPlaceholderText(QStringLiteral("파일명, 사람, 분류, 메모 검색"));
    search_->setFrame(false);
    search_->setFont(BrowserFonts::system(13));
    search_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    row->addWidget(search_, 1);
    clear_ = new QToolButton(field);
    clear_->setAutoRaise(true);
    clear_->setIcon(
        BrowserIcons::icon(QStringLiteral("xmark.circle.fill"), BrowserPalette::secondaryText()));
    clear_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(clear_);
    connect(search_, &QLineEdit::textEdited, this, [this](const QString& text) {
        MediaQuery query = store_.query();
        query.search = text;
        store_.setQuery(query);
        clear_->setVisible(!text.isEmpty());
    });
    connect(clear_, &QToolButton::clicked, this, [this] {
        MediaQuery query = store_.query();
        query.search.clear();
        store_.setQuery(query);
    });
    return field;
}

QToolButton* HeaderToolbar::iconButton(const QString& symbol, const QString& help) {
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setIcon(BrowserIcons::icon(symbol, BrowserPalette::primaryText()));
    button->setIconSize(QSize(17, 17));
    button->setToolTip(help);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void HeaderToolbar::refresh() {
    const QString& search = store_.query().search;
    if (search_->text() != search) {
        search_->setText(search);
    }
    clear_->setVisible(!search.isEmpty());
    const bool replay = store_.canReplayMetadata();
    undo_->setEnabled(replay && !store_.metadataHistory().undo().isEmpty());
    redo_->setEnabled(replay && !store_.metadataHistory().redo().isEmpty());
    undo_->setToolTip(store_.undoMetadataTitle() + undoShortcut);
    undo_->setAccessibleName(store_.undoMetadataTitle());
    redo_->setToolTip(store_.redoMetadataTitle() + redoShortcut);
    redo_->setAccessibleName(store_.redoMetadataTitle());
    refresh_->setEnabled(store_.source() != LibrarySource::none);
    refreshMenu();
}

void HeaderToolbar::refreshMenu() {
    menu_->clear();
    const LibrarySource source = store_.source();
    const bool open = source != LibrarySource::none;
    menu_->addAction(photoLibraryEntry, this, [this] { store_.choosePhotosSource(); });
    menu_->addAction(QStringLiteral("사진·영상 폴더 연결…"), this,
                     [this] { store_.chooseLibrary(); });
    QAction* files = source == LibrarySource::photos
                         ? menu_->addAction(QStringLiteral("분류 CSV 폴더 열기"), this,
                                            [this] { store_.showMetadataFolder(); })
                         : menu_->addAction(QStringLiteral("원본 폴더 열기"), this,
                                            [this] { store_.showFiles(); });
    menu_->addSeparator();
    QAction* deleted = menu_->addAction(
        BrowserIcons::icon(QStringLiteral("clock.arrow.circlepath"), BrowserPalette::primaryText()),
        QStringLiteral("최근 삭제 기록…"), this,
        [this] { state_.setUtilityPanel(LumivexUtilityPanel::deleted); });
    QAction* exporting = menu_->addAction(QStringLiteral("전체 분류를 CSV로 내보내기…"), this,
                                          [this] { store_.exportCSV(); });
    QAction* metadata = menu_->addAction(QStringLiteral("분류 정보 폴더 보기"), this,
                                         [this] { store_.showMetadataFolder(); });
    QAction* properties = menu_->addAction(QStringLiteral("이 폴더의 속성 편집…"), this,
                                           [this] { state_.setPropertyManager(true); });
    for (QAction* action : {files, deleted, exporting, metadata, properties}) {
        action->setEnabled(open);
    }
}

void HeaderToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrowserPalette::panel());
}

}  // namespace lumivex
