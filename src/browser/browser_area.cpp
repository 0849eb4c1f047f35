#include "browser/browser_area.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/filter_bar.h"
#include "browser/library_scope_label.h"
#include "browser/media_grid_view.h"
#include "browser/shown_library.h"
#include "browser/window_state.h"
#include "store/lumivex_store.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

// The other platform's words, as a Linux user reads them.
const QString selectAllShortcut = QStringLiteral("Ctrl+A");

QLabel* textLabel(const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: %1").arg(color.name(QColor::HexArgb)));
    return label;
}

QString borderedSheet() {
    return QStringLiteral(
               "QPushButton { background: %1; color: %2; border: none; border-radius: 5px;"
               " padding: 4px 9px; } QPushButton:disabled { color: %3; }")
        .arg(BrowserPalette::white(0.08).name(QColor::HexArgb),
             BrowserPalette::primaryText().name(QColor::HexArgb),
             BrowserPalette::tertiaryText().name(QColor::HexArgb));
}

template <typename Change>
void writeQuery(LumivexStore& store, Change change) {
    MediaQuery query = store.query();
    change(query);
    store.setQuery(query);
}

}  // namespace

BrowserArea::BrowserArea(LumivexStore& store, WindowState& state, QWidget* parent)
    : StoreRegion(store, state, parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeading());
    filterBar_ = new FilterBar(store, state, this);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(24, 0, 24, 18);
    bar->addWidget(filterBar_);
    column->addLayout(bar);
    stack_ = new QStackedLayout;
    column->addLayout(stack_, 1);
    gridSlot_ = new QWidget(this);
    stack_->addWidget(gridSlot_);
    setMinimumWidth(420);
    for (const auto signal :
         {&LumivexStore::queryChanged, &LumivexStore::libraryChanged, &LumivexStore::sourceChanged,
          &LumivexStore::rootChanged, &LumivexStore::selectionChanged,
          &LumivexStore::scanningChanged, &LumivexStore::lockedChanged,
          &LumivexStore::deletingChanged, &LumivexStore::deletionRequestChanged,
          &LumivexStore::needsPhotosSetupChanged, &LumivexStore::showPhotosSetupChanged}) {
        connect(&store_, signal, this, &BrowserArea::scheduleRefresh);
    }
}

QWidget* BrowserArea::makeHeading() {
    auto* heading = new QWidget(this);
    auto* row = new QHBoxLayout(heading);
    row->setContentsMargins(24, 24, 24, 16);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(6);
    title_ = textLabel(BrowserFonts::system(24, QFont::DemiBold), BrowserPalette::primaryText(),
                       heading);
    scope_ = new LibraryScopeLabel(store_, heading);
    count_ = textLabel(BrowserFonts::system(13, QFont::Normal, BrowserFonts::Design::monospaced),
                       BrowserPalette::secondaryText(), heading);
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    titleRow->addWidget(title_, 0, Qt::AlignTop);
    titleRow->addWidget(count_, 0, Qt::AlignTop);
    // A scope line wider than the title widens the column; the room left over stays after the
    // count, which keeps beside the title.
    titleRow->addStretch(1);
    titles->addLayout(titleRow);
    titles->addWidget(scope_);
    row->addLayout(titles);
    row->addStretch(1);
    auto* controlColumn = new QVBoxLayout;
    controlColumn->setSpacing(0);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(8);
    controlColumn->addSpacing(0);
    controlColumn->addLayout(controls);
    controlColumn->addStretch(1);
    row->addLayout(controlColumn);
    selectAll_ = new QPushButton(QStringLiteral("전체 선택"), heading);
    selectAll_->setIcon(
        BrowserIcons::icon(QStringLiteral("checkmark.circle"), BrowserPalette::primaryText()));
    selectAll_->setFont(BrowserFonts::system(12));
    selectAll_->setStyleSheet(borderedSheet());
    connect(selectAll_, &QPushButton::clicked, this, [this] { store_.selectAllVisible(); });
    controls->addWidget(selectAll_);
    progress_ = new QWidget(heading);
    auto* progressRow = new QHBoxLayout(progress_);
    progressRow->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QProgressBar(progress_);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setFixedSize(16, 16);
    progressRow->addWidget(bar);
    QLabel* deleting =
        textLabel(BrowserFonts::system(12), BrowserPalette::secondaryText(), progress_);
    deleting->setText(QStringLiteral("삭제 중…"));
    progressRow->addWidget(deleting);
    controls->addWidget(progress_);
    delete_ = new QPushButton(heading);
    delete_->setIcon(BrowserIcons::icon(QStringLiteral("trash"), BrowserPalette::primaryText()));
    delete_->setFont(BrowserFonts::system(12));
    delete_->setStyleSheet(borderedSheet());
    delete_->setToolTip(QStringLiteral("선택한 항목 삭제 · Delete"));
    connect(delete_, &QPushButton::clicked, this, [this] { store_.requestDeletion(std::nullopt); });
    controls->addWidget(delete_);
    sort_ = new QToolButton(heading);
    sort_->setPopupMode(QToolButton::InstantPopup);
    sort_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    sort_->setAutoRaise(true);
    sort_->setFont(BrowserFonts::system(12));
    sort_->setIcon(
        BrowserIcons::icon(QStringLiteral("arrow.up.arrow.down"), BrowserPalette::primaryText()));
    sort_->setMenu(new QMenu(sort_));
    sort_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    controls->addWidget(sort_);
    direction_ = new QToolButton(heading);
    direction_->setAutoRaise(true);
    connect(direction_, &QToolButton::clicked, this,
            [this] { writeQuery(store_, [](MediaQuery& q) { q.ascending = !q.ascending; }); });
    controls->addWidget(direction_);
    alignOnTitleBaseline(controlColumn);
    return heading;
}

// The heading's texts stand on the title's first baseline: the count beside it and the buttons,
// whose own text is centred in them, are moved down by what their baselines lack.
void BrowserArea::alignOnTitleBaseline(QVBoxLayout* controlColumn) {
    const auto baseline = [](const QWidget* widget, std::optional<int> height) {
        const QFontMetrics metrics(widget->font());
        return (height.value_or(metrics.height()) - metrics.height()) / 2 + metrics.ascent();
    };
    const int title = baseline(title_, std::nullopt);
    count_->setContentsMargins(0, std::max(0, title - baseline(count_, std::nullopt)), 0, 0);
    int rowHeight = 0;
    for (const QWidget* control : {static_cast<QWidget*>(selectAll_), static_cast<QWidget*>(sort_),
                                   static_cast<QWidget*>(delete_)}) {
        rowHeight = std::max(rowHeight, control->sizeHint().height());
    }
    const int buttons = baseline(selectAll_, rowHeight);
    if (QSpacerItem* spacer = controlColumn->itemAt(0)->spacerItem()) {
        spacer->changeSize(0, std::max(0, title - buttons), QSizePolicy::Minimum,
                           QSizePolicy::Fixed);
    }
}

void BrowserArea::setGrid(MediaGridView* grid) {
    stack_->removeWidget(gridSlot_);
    delete gridSlot_;
    gridSlot_ = grid;
    grid_ = grid;
    stack_->addWidget(gridSlot_);
    contentKnown_ = false;
    scheduleRefresh();
}

bool BrowserArea::gridEnabled() const {
    return !store_.deleting() && !store_.locked() && !store_.deletionRequest() &&
           !state_.modalSurfaceShown() && !store_.showPhotosSetup();
}

void BrowserArea::refresh() {
    refreshHeading(store_.visiblePositions().size());
    refreshSortMenu(ShownLibrary::tagProperties(store_));
    refreshContent(browserContent(store_));
}

// The count and the properties to sort by wait for the views.
void BrowserArea::refreshLoading() {
    refreshHeading(std::nullopt);
    refreshSortMenu({});
    refreshContent(loadingContent(store_));
}

void BrowserArea::refreshHeading(std::optional<qsizetype> visible) {
    const MediaQuery& query = store_.query();
    title_->setText(query.kind == MediaKind::photo   ? QStringLiteral("사진")
                    : query.kind == MediaKind::video ? QStringLiteral("영상")
                                                     : QStringLiteral("전체 미디어"));
    scope_->refresh();
    count_->setText(visible ? QString::number(*visible) : QString());
    selectAll_->setEnabled(visible.value_or(0) > 0 && !store_.locked() && !store_.deleting() &&
                           !store_.deletionRequest());
    selectAll_->setToolTip(QStringLiteral("현재 검색·필터에 맞는 ") +
                           QString::number(visible.value_or(0)) +
                           QStringLiteral("개 모두 선택 · ") + selectAllShortcut);
    progress_->setVisible(store_.deleting());
    const qsizetype selected = store_.selection().size();
    delete_->setVisible(!store_.deleting() && selected > 0);
    delete_->setText(QString::number(selected) + QStringLiteral("개 삭제"));
    if (shownAscending_ != query.ascending) {
        shownAscending_ = query.ascending;
        direction_->setIcon(BrowserIcons::icon(
            query.ascending ? QStringLiteral("arrow.up") : QStringLiteral("arrow.down"),
            BrowserPalette::primaryText()));
    }
    direction_->setToolTip(query.ascending ? QStringLiteral("오름차순")
                                           : QStringLiteral("내림차순"));
}

QString BrowserArea::sortTitle(SortOrder order) const {
    if (order == SortOrder::rating) {
        const std::optional<Category> rating = ShownLibrary::ratingProperty(store_);
        return rating ? rating->name : QStringLiteral("별점");
    }
    return rawValue(order);
}

void BrowserArea::refreshSortMenu(const QList<Category>& properties) {
    const MediaQuery& query = store_.query();
    sort_->setText(query.sortCategory ? query.sortCategory->name : sortTitle(query.sort));
    SortMenuInputs inputs{query.sort, query.sortCategory, ShownLibrary::ratingProperty(store_),
                          store_.source(), properties};
    if (shownSortMenu_ == inputs) {
        return;
    }
    shownSortMenu_ = std::move(inputs);
    QMenu* menu = sort_->menu();
    menu->clear();
    const bool hasRating = ShownLibrary::ratingProperty(store_).has_value();
    const QIcon check =
        BrowserIcons::icon(QStringLiteral("checkmark"), BrowserPalette::primaryText());
    for (const SortOrder order : allSortOrders) {
        if (order == SortOrder::rating && !hasRating) {
            continue;
        }
        QAction* action = menu->addAction(sortTitle(order));
        if (!query.sortCategory && query.sort == order) {
            action->setIcon(check);
        }
        action->setEnabled(order != SortOrder::size || store_.source() != LibrarySource::photos);
        connect(action, &QAction::triggered, this, [this, order] {
            writeQuery(store_, [order](MediaQuery& q) { q.sort = order; });
            writeQuery(store_, [](MediaQuery& q) { q.sortCategory.reset(); });
        });
    }
    menu->addSeparator();
    for (const Category& property : properties) {
        QAction* action = menu->addAction(property.name);
        if (query.sortCategory && query.sortCategory->id == property.id) {
            action->setIcon(check);
        }
        connect(action, &QAction::triggered, this, [this, property] {
            writeQuery(store_, [&property](MediaQuery& q) { q.sortCategory = property; });
        });
    }
}

void BrowserArea::refreshContent(BrowserContent content) {
    if (grid_) {
        grid_->setInteractionEnabled(gridEnabled());
    }
    if (contentKnown_ && content == content_) {
        return;
    }
    contentKnown_ = true;
    content_ = content;
    if (emptyState_) {
        stack_->removeWidget(emptyState_);
        emptyState_->deleteLater();
        emptyState_ = nullptr;
    }
    if (content == BrowserContent::grid) {
        stack_->setCurrentWidget(gridSlot_);
        return;
    }
    emptyState_ = makeEmptyState(content, store_, this);
    stack_->addWidget(emptyState_);
    stack_->setCurrentWidget(emptyState_);
}

}  // namespace lumivex
