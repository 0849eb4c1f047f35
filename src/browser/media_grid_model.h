#pragma once

#include "model/library.h"

#include <QAbstractListModel>
#include <QHash>
#include <QSet>
#include <QUuid>

#include <cstdint>
#include <optional>
#include <vector>

namespace lumivex {

class LumivexStore;

// The store's visible items, in display order, as rows for the media grid, with what a card
// draws besides its item: whether it is selected, the library's properties and whether it has a
// rating property. Follows the store's change signals; a reset costs no work per item (the rows
// are the store's positions in the browse snapshot's shared items, the rows of positions are laid
// out only when asked for). An edit that changed items in place and kept the visible order
// updates only the changed items' rows instead of resetting the model. Main thread.
class MediaGridModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { IdRole = Qt::UserRole + 1, SelectedRole };

    explicit MediaGridModel(LumivexStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    LumivexStore& store() const { return store_; }
    const MediaItem& item(qsizetype row) const { return shown_.at(positions_.at(row)); }
    // The row of a visible item.
    std::optional<qsizetype> row(const QUuid& id) const;
    bool isSelected(qsizetype row) const { return selection_.contains(item(row).id); }
    const QSet<QUuid>& selection() const { return selection_; }
    const QList<Category>& categories() const { return categories_; }
    bool hasRatingProperty() const { return hasRatingProperty_; }
    const QString& root() const { return root_; }

private:
    void reload();
    bool followEdit();
    void selectionUpdated();

    LumivexStore& store_;
    MediaItems shown_;
    QHash<QUuid, std::uint32_t> positionOf_;  // the snapshot's, shared
    QList<qsizetype> positions_;
    QSet<QUuid> selection_;
    QList<Category> categories_;
    bool hasRatingProperty_ = false;
    QString root_;
    mutable std::optional<std::vector<qsizetype>> rows_;  // per snapshot position, -1 if hidden
};

}  // namespace lumivex
