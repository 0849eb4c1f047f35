#include "browser/filter_bar.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/filter_bar_choices.h"
#include "browser/filter_chip.h"
#include "browser/filter_picker_button.h"
#include "browser/shown_library.h"
#include "browser/window_state.h"
#include "store/lumivex_store.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

namespace lumivex {

namespace {

constexpr int wheelNotch = 40;  // pixels the row moves per notch of a wheel

}  // namespace

FilterBar::FilterBar(LumivexStore& store, WindowState& state, QWidget* parent)
    : StoreRegion(store, state, parent) {
    auto* scroll = new QScrollArea(this);
    scroll_ = scroll;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    auto* content = new QWidget;
    row_ = new QHBoxLayout(content);
    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(8);
    scroll->setWidget(content);
    content->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->viewport()->installEventFilter(this);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    setFixedHeight(32);

    kindPicker_ = new FlatFilterPicker(content);
    folderPicker_ = new FolderFilterPicker(content);
    ratingPicker_ = new FlatFilterPicker(content);
    resetButton_ = new QPushButton(QStringLiteral("초기화"), content);
    resetButton_->setFlat(true);
    resetButton_->setFont(BrowserFonts::system(10));
    resetButton_->setFocusPolicy(Qt::NoFocus);
    resetButton_->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; border: none; padding: 0 4px; }")
            .arg(BrowserPalette::secondaryText().name(QColor::HexArgb)));
    connect(resetButton_, &QPushButton::clicked, this, [this] { FilterBarChoices::reset(store_); });

    for (const auto signal : {&LumivexStore::queryChanged, &LumivexStore::libraryChanged,
                              &LumivexStore::sourceChanged}) {
        connect(&store_, signal, this, &FilterBar::scheduleRefresh);
    }
}

QStringList FilterBar::chipTitles() const {
    QStringList titles;
    for (const QPushButton* chip : chips_) {
        titles.append(chip->text());
    }
    return titles;
}

QPushButton* FilterBar::chip(const QString& title) const {
    for (QPushButton* chip : chips_) {
        if (chip->text() == title) {
            return chip;
        }
    }
    return nullptr;
}

bool FilterBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != scroll_->viewport() || event->type() != QEvent::Wheel) {
        return StoreRegion::eventFilter(watched, event);
    }
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const auto larger = [](QPoint delta) {
        return std::abs(delta.x()) >= std::abs(delta.y()) ? delta.x() : delta.y();
    };
    // A touchpad gives pixels; a wheel gives eighths of a degree, 120 to a notch.
    const int step = wheel->pixelDelta().isNull() ? larger(wheel->angleDelta()) * wheelNotch / 120
                                                  : larger(wheel->pixelDelta());
    QScrollBar* bar = scroll_->horizontalScrollBar();
    bar->setValue(bar->value() - step);
    return true;
}

FilterBar::Inputs FilterBar::inputs() {
    Inputs inputs;
    inputs.filters = store_.query();
    inputs.filters.search.clear();
    inputs.filters.sort = SortOrder::captured;
    inputs.filters.sortCategory.reset();
    inputs.filters.ascending = false;
    inputs.source = store_.source();
    inputs.rating = ShownLibrary::ratingProperty(store_).has_value();
    inputs.properties = ShownLibrary::tagProperties(store_);
    const auto& labels = store_.folderScope().snapshot.labels;
    for (const Category& property : inputs.properties) {
        const auto found = labels.find(property.id);
        inputs.values.append(found == labels.end() ? QList<std::pair<QString, qsizetype>>()
                                                   : found->second);
    }
    return inputs;
}

// Every commit publishes the library and the query again, and a search keystroke changes the
// query; neither need touch the row while its inputs stay the same.
bool FilterBar::unchanged(const Inputs& inputs) {
    const bool folders = inputs.source == LibrarySource::folder;
    const bool same = shown_ && *shown_ == inputs &&
                      (!folders || store_.browseSnapshot().folderTree == shownFolders_);
    if (!same) {
        shown_ = inputs;
        shownFolders_ =
            folders ? store_.browseSnapshot().folderTree : std::vector<FolderFilterNode>();
    }
    return same;
}

void FilterBar::refresh() {
    if (unchanged(inputs())) {
        return;
    }
    clearRow();
    refreshPickers();
    refreshChips();
    finishRow();
}

// The folders, the properties and the chips that name them come from the views: only the kind
// stands until they are built.
void FilterBar::refreshLoading() {
    shown_.reset();
    clearRow();
    addKindPicker();
    folderPicker_->hide();
    ratingPicker_->hide();
    for (FlatFilterPicker* picker : std::as_const(propertyPickers_)) {
        picker->hide();
    }
    qDeleteAll(chips_);
    chips_.clear();
    resetButton_->hide();
    finishRow();
}

void FilterBar::clearRow() {
    while (row_->count() > 0) {
        delete row_->takeAt(0);
    }
}

// Buttons keep their whole width; what does not fit scrolls.
void FilterBar::finishRow() {
    for (int i = 0; i < row_->count(); ++i) {
        if (QWidget* widget = row_->itemAt(i)->widget()) {
            widget->setSizePolicy(QSizePolicy::Fixed, widget->sizePolicy().verticalPolicy());
        }
    }
    row_->addStretch(1);
}

void FilterBar::addKindPicker() {
    using namespace FilterBarChoices;
    const MediaQuery& query = store_.query();
    QPointer<FilterBar> self(this);
    kindPicker_->setContents(kindTitle(query), kindSymbol(query), kindOptions(query),
                             kindSelection(query), [self](const std::optional<QString>& value) {
                                 if (self) {
                                     chooseKind(self->store_, value,
                                                [self] { self->state_.setDurationSheet(true); });
                                 }
                             });
    row_->addWidget(kindPicker_);
}

void FilterBar::refreshPickers() {
    using namespace FilterBarChoices;
    const MediaQuery& query = store_.query();
    QPointer<FilterBar> self(this);
    addKindPicker();
    const bool folders = store_.source() == LibrarySource::folder;
    folderPicker_->setVisible(folders);
    if (folders) {
        folderPicker_->setContents(store_.browseSnapshot().folderTree, query.folderPath,
                                   [self](const std::optional<QString>& path) {
                                       if (self) {
                                           self->store_.selectFolderFilter(path);
                                       }
                                   });
        row_->addWidget(folderPicker_);
    }
    const bool rating = ShownLibrary::ratingProperty(store_).has_value();
    ratingPicker_->setVisible(rating);
    if (rating) {
        ratingPicker_->setContents(ratingTitle(query), QStringLiteral("star.fill"), ratingOptions(),
                                   ratingSelection(query), [self](const auto& value) {
                                       if (self) {
                                           chooseRating(self->store_, value);
                                       }
                                   });
        row_->addWidget(ratingPicker_);
    }
    const LumivexStore::FolderScope& scope = store_.folderScope();
    QHash<QUuid, FlatFilterPicker*> kept;
    for (const Category& property : ShownLibrary::tagProperties(store_)) {
        FlatFilterPicker* picker = propertyPickers_.take(property.id);
        if (!picker) {
            picker = new FlatFilterPicker(kindPicker_->parentWidget());
        }
        const auto found = scope.snapshot.labels.find(property.id);
        const QList<std::pair<QString, qsizetype>> values =
            found == scope.snapshot.labels.end() ? QList<std::pair<QString, qsizetype>>()
                                                 : found->second;
        picker->setContents(property.name, property.symbol(), propertyMenu(property, values),
                            propertySelection(query, property),
                            [self, property](const std::optional<QString>& value) {
                                if (self) {
                                    chooseProperty(self->store_, property, value);
                                }
                            });
        picker->show();
        row_->addWidget(picker);
        kept.insert(property.id, picker);
    }
    qDeleteAll(propertyPickers_);
    for (auto it = propertyPickers_.cbegin(); it != propertyPickers_.cend(); ++it) {
        propertyMenus_.remove(it.key());
    }
    propertyPickers_ = kept;
}

const QList<FilterMenuOption>& FilterBar::propertyMenu(
    const Category& property, const QList<std::pair<QString, qsizetype>>& values) {
    PropertyMenu& menu = propertyMenus_[property.id];
    const QString symbol = property.symbol();
    if (menu.options.isEmpty() || menu.name != property.name || menu.symbol != symbol ||
        menu.values != values) {
        menu = {property.name, symbol, values, FilterBarChoices::propertyOptions(property, values)};
    }
    return menu.options;
}

void FilterBar::refreshChips() {
    qDeleteAll(chips_);
    chips_.clear();
    const QList<FilterBarChoices::Chip> chips =
        FilterBarChoices::chips(store_.query(), ShownLibrary::tagProperties(store_));
    for (const FilterBarChoices::Chip& chip : chips) {
        QPushButton* button = new FilterChip(chip.title, kindPicker_->parentWidget());
        connect(button, &QPushButton::clicked, this,
                [this, remove = chip.remove] { remove(store_); });
        row_->addWidget(button);
        chips_.append(button);
    }
    const bool reset = FilterBarChoices::anyFilter(store_.query());
    resetButton_->setVisible(reset);
    if (reset) {
        row_->addWidget(resetButton_);
    }
}

}  // namespace lumivex
