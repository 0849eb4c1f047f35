#include "browser/sidebar.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/sidebar_plan.h"
#include "browser/sidebar_rows.h"
#include "browser/sidebar_section.h"
#include "browser/window_state.h"
#include "store/lumivex_store.h"
#include "store/store_paths.h"

#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace lumivex {

namespace {

// The other platform's words, as a Linux user reads them.
const QString photoLibraryTitle = QStringLiteral("사진 보관함");
const QString switcherHelp = QStringLiteral("사진 보관함 또는 내 폴더 선택");

QString plainButtonSheet(const QColor& color) {
    return QStringLiteral(
               "QPushButton { color: %1; border: none; text-align: left; padding: 0 10px; }"
               " QPushButton:disabled { color: %2; }")
        .arg(color.name(QColor::HexArgb), BrowserPalette::tertiaryText().name(QColor::HexArgb));
}

}  // namespace

Sidebar::Sidebar(LumivexStore& store, WindowState& state, QWidget* parent)
    : StoreRegion(store, state, parent) {
    setFixedWidth(210);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    auto* content = new QWidget;
    sections_ = new QVBoxLayout(content);
    sections_->setContentsMargins(12, 22, 12, 22);
    sections_->setSpacing(22);
    // The column grows before its rows are laid out: laid out in its old height first, a section
    // below a grown one would be squeezed and every row in it moved twice.
    sections_->setSizeConstraint(QLayout::SetMinimumSize);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    // Its rows stand from the top: growing at the bottom repaints only what comes into view.
    content->setAttribute(Qt::WA_StaticContents);
    column->addWidget(scroll, 1);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setStyleSheet(
        QStringLiteral("color: %1").arg(BrowserPalette::divider().name(QColor::HexArgb)));
    column->addWidget(divider);
    column->addWidget(makeSourceButton());
    connect(&store_, &LumivexStore::queryChanged, this, &Sidebar::queryChanged);
    for (const auto signal :
         {&LumivexStore::libraryChanged, &LumivexStore::sourceChanged, &LumivexStore::rootChanged,
          &LumivexStore::recentFoldersChanged, &LumivexStore::connectingPhotosChanged,
          &LumivexStore::deletingChanged}) {
        connect(&store_, signal, this, &Sidebar::scheduleRefresh);
    }
}

// The sidebar shows neither the search text nor the sort, so typing in the search field leaves it
// alone: rebuilding its rows for every keystroke would cost more than the search.
void Sidebar::queryChanged() {
    const MediaQuery& query = store_.query();
    const bool shown =
        query.kind == shownQuery_.kind && query.videoDuration == shownQuery_.videoDuration &&
        query.folderPath == shownQuery_.folderPath &&
        query.unratedOnly == shownQuery_.unratedOnly &&
        query.unclassifiedOnly == shownQuery_.unclassifiedOnly &&
        query.facets == shownQuery_.facets && query.emptyFacets == shownQuery_.emptyFacets;
    if (!shown) {
        scheduleRefresh();
    }
}

NavRow* Sidebar::row(const QString& title) const {
    for (const SidebarSection* section : shown_) {
        for (NavRow* row : section->rows()) {
            if (row->text() == title) {
                return row;
            }
        }
    }
    return nullptr;
}

QStringList Sidebar::rowTitles() const {
    QStringList titles;
    for (const SidebarSection* section : shown_) {
        for (const NavRow* row : section->rows()) {
            titles.append(row->text());
        }
    }
    return titles;
}

void Sidebar::clearSections() {
    shown_.clear();
    while (QLayoutItem* item = sections_->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

// Counts and highlights change with every edit and filter, a property's values with edits, and
// the sections themselves only when properties or their names do. A section whose heading stays
// follows its new rows in place; another is made again in its place.
void Sidebar::showSections(SidebarPlan plan) {
    if (static_cast<qsizetype>(plan.sections.size()) != shown_.size()) {
        clearSections();
        for (SidebarPlan::Section& section : plan.sections) {
            shown_.append(new SidebarSection(std::move(section), state_));
            sections_->addWidget(shown_.constLast());
        }
        addPropertyButtons();
        return;
    }
    for (qsizetype i = 0; i < shown_.size(); ++i) {
        if (shown_[i]->follow(plan.sections[i])) {
            continue;
        }
        SidebarSection* old = shown_[i];
        shown_[i] = new SidebarSection(std::move(plan.sections[i]), state_);
        sections_->insertWidget(static_cast<int>(i), shown_[i]);
        sections_->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
}

void Sidebar::refresh() {
    shownQuery_ = store_.query();
    showSections(SidebarPlan::of(store_, state_));
    refreshSource();
}

// The sections count the library's items: none stand until its views are built.
void Sidebar::refreshLoading() {
    clearSections();
    addPropertyButtons();
    refreshSource();
}

void Sidebar::refreshSource() {
    const LibrarySource source = store_.source();
    addProperty_->setEnabled(source != LibrarySource::none);
    editProperties_->setEnabled(source != LibrarySource::none);
    sourceDetail_->setText(source == LibrarySource::none ? QStringLiteral("보관함을 선택하세요")
                           : source == LibrarySource::photos
                               ? QStringLiteral("현재: ") + photoLibraryTitle
                               : QStringLiteral("현재: ") + QDir(store_.root()).dirName());
    refreshPopover();
}

void Sidebar::addPropertyButtons() {
    addProperty_ = new QPushButton(QStringLiteral("속성 추가"));
    addProperty_->setIcon(
        BrowserIcons::icon(QStringLiteral("plus.circle"), BrowserPalette::mint()));
    addProperty_->setFont(BrowserFonts::system(12, QFont::Medium));
    addProperty_->setStyleSheet(plainButtonSheet(BrowserPalette::mint()));
    connect(addProperty_, &QPushButton::clicked, this,
            [this] { state_.openCategorySheet(std::nullopt); });
    editProperties_ = new QPushButton(QStringLiteral("속성 편집"));
    editProperties_->setIcon(
        BrowserIcons::icon(QStringLiteral("slider.horizontal.3"), BrowserPalette::secondaryText()));
    editProperties_->setFont(BrowserFonts::system(12));
    editProperties_->setStyleSheet(plainButtonSheet(BrowserPalette::secondaryText()));
    connect(editProperties_, &QPushButton::clicked, this,
            [this] { state_.setPropertyManager(true); });
    sections_->addWidget(addProperty_);
    sections_->addWidget(editProperties_);
    sections_->addStretch(1);
}

QWidget* Sidebar::makeSourceButton() {
    source_ = new QPushButton(this);
    source_->setFlat(true);
    source_->setToolTip(switcherHelp);
    source_->setCursor(Qt::PointingHandCursor);
    source_->setFocusPolicy(Qt::NoFocus);
    source_->setStyleSheet(QStringLiteral("QPushButton { border: none; }"));
    source_->setMinimumHeight(72);
    auto* row = new QHBoxLayout(source_);
    row->setContentsMargins(18, 18, 18, 18);
    row->setSpacing(8);
    auto* symbol = new QLabel(source_);
    symbol->setPixmap(BrowserIcons::pixmap(QStringLiteral("folder.badge.plus"), 16,
                                           BrowserPalette::mint(), devicePixelRatioF()));
    row->addWidget(symbol, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto* title = new QLabel(QStringLiteral("폴더 선택하기…"), source_);
    title->setFont(BrowserFonts::system(11, QFont::Medium));
    sourceDetail_ = new QLabel(source_);
    sourceDetail_->setFont(BrowserFonts::system(10));
    sourceDetail_->setStyleSheet(
        QStringLiteral("color: %1").arg(BrowserPalette::secondaryText().name(QColor::HexArgb)));
    texts->addWidget(title);
    texts->addWidget(sourceDetail_);
    row->addLayout(texts, 1);
    auto* chevron = new QLabel(source_);
    chevron->setPixmap(BrowserIcons::pixmap(QStringLiteral("chevron.up"), 10,
                                            BrowserPalette::secondaryText(), devicePixelRatioF()));
    row->addWidget(chevron, 0, Qt::AlignTop);
    for (QLabel* label : source_->findChildren<QLabel*>()) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    connect(source_, &QPushButton::clicked, this,
            [this] { state_.setSourceMenu(!state_.sourceMenu()); });
    return source_;
}

void Sidebar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrowserPalette::panel());
}

}  // namespace lumivex
