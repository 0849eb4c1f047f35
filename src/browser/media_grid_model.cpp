#include "browser/media_grid_model.h"

#include "model/library_browse_snapshot.h"
#include "store/lumivex_store.h"

#include <utility>

namespace lumivex {

namespace {

// Beyond this many changed items one signal over every row is cheaper than one per row.
constexpr std::size_t rowSignalLimit = 256;

}  // namespace

MediaGridModel::MediaGridModel(LumivexStore& store, QObject* parent)
    : QAbstractListModel(parent), store_(store) {
    for (const auto signal : {&LumivexStore::libraryChanged, &LumivexStore::queryChanged,
                              &LumivexStore::sourceChanged, &LumivexStore::rootChanged}) {
        connect(&store_, signal, this, &MediaGridModel::reload);
    }
    connect(&store_, &LumivexStore::derivedViewsReady, this, &MediaGridModel::reload);
    connect(&store_, &LumivexStore::selectionChanged, this, &MediaGridModel::selectionUpdated);
    reload();
}

int MediaGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(positions_.size());
}

QVariant MediaGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= positions_.size()) {
        return {};
    }
    const MediaItem& shown = item(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return shown.filename;
        case IdRole:
            return shown.id;
        case SelectedRole:
            return selection_.contains(shown.id);
        default:
            return {};
    }
}

std::optional<qsizetype> MediaGridModel::row(const QUuid& id) const {
    const auto position = positionOf_.constFind(id);
    if (position == positionOf_.constEnd()) {
        return std::nullopt;
    }
    // The snapshot already finds an item's position by identifier; only the rows of positions
    // are made here, a plain array rather than a table of every identifier.
    if (!rows_) {
        std::vector<qsizetype> rows(static_cast<std::size_t>(shown_.size()), -1);
        for (qsizetype index = 0; index < positions_.size(); ++index) {
            rows[static_cast<std::size_t>(positions_[index])] = index;
        }
        rows_ = std::move(rows);
    }
    const qsizetype row = (*rows_)[*position];
    return row < 0 ? std::nullopt : std::optional<qsizetype>(row);
}

void MediaGridModel::reload() {
    if (followEdit()) {
        return;
    }
    beginResetModel();
    // Empty while the store builds the views of a library just opened; they come with a reload.
    if (store_.derivedViewsPending()) {
        shown_.clear();
        positionOf_.clear();
        positions_.clear();
    } else {
        shown_ = store_.browseSnapshot().items;
        positionOf_ = store_.browseSnapshot().positions;
        positions_ = store_.visiblePositions();
    }
    selection_ = store_.selection();
    categories_ = store_.library().categories;
    hasRatingProperty_ = store_.library().ratingProperty().has_value();
    root_ = store_.root();
    rows_.reset();
    endResetModel();
}

// Every commit publishes the library and the query again. When the store's visible positions are
// still the very list the rows were made from (it keeps them only while the snapshot followed
// an edit that moved no item in or out of the order) and only items changed in place, the rows
// stay and just the changed cards are told to repaint.
bool MediaGridModel::followEdit() {
    if (store_.derivedViewsPending() || shown_.isEmpty() || root_ != store_.root()) {
        return false;
    }
    const QList<qsizetype>& positions = store_.visiblePositions();
    if (positions.size() != positions_.size() || positions.constData() != positions_.constData() ||
        hasRatingProperty_ != store_.library().ratingProperty().has_value() ||
        categories_ != store_.library().categories) {
        return false;
    }
    const MediaItems& items = store_.browseSnapshot().items;
    const auto changes = LibraryBrowseSnapshot::itemChanges(shown_, items);
    if (!changes) {
        return false;
    }
    // The changes point into the rows' previous items, which must live while they are read.
    const MediaItems previous = std::exchange(shown_, items);
    selection_ = store_.selection();
    if (changes->size() > rowSignalLimit) {
        Q_EMIT dataChanged(index(0), index(static_cast<int>(positions_.size()) - 1));
        return true;
    }
    for (const LibraryBrowseSnapshot::ItemChange& change : *changes) {
        if (const std::optional<qsizetype> shownRow = row(change.after->id)) {
            Q_EMIT dataChanged(index(static_cast<int>(*shownRow)),
                               index(static_cast<int>(*shownRow)));
        }
    }
    return true;
}

void MediaGridModel::selectionUpdated() {
    selection_ = store_.selection();
    if (!positions_.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(static_cast<int>(positions_.size()) - 1),
                           {SelectedRole});
    }
}

}  // namespace lumivex
