#include "browser/media_grid_model.h"

#include "store/lumivex_store.h"

namespace lumivex {

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

void MediaGridModel::selectionUpdated() {
    selection_ = store_.selection();
    if (!positions_.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(static_cast<int>(positions_.size()) - 1),
                           {SelectedRole});
    }
}

}  // namespace lumivex
