#pragma once

#include "browser/media_card_chrome.h"

#include <QStyledItemDelegate>
#include <QUuid>

#include <optional>

namespace lumivex {

class GridThumbnails;
class MediaGridModel;
class MediaCardLayout;
struct MediaItem;

// Paints the cards of the media grid (thumbnail, duration badge, name, stars, kind, option
// values) and turns presses on the stars into intent; it changes nothing itself. Main thread.
class MediaCardDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit MediaCardDelegate(GridThumbnails& thumbnails, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The empty line under cards without option values.
    static QString noValuesText();
    // The option values of `item`, property by property, joined by " · ".
    static QString valuesText(const MediaItem& item, const MediaGridModel& model);

Q_SIGNALS:
    // Star `number` of the item's card was pressed: rate it `rating` (0 clears).
    void rateRequested(const QUuid& id, int rating);

private:
    void paintThumbnail(QPainter& painter, const MediaCardLayout& layout, const MediaItem& item,
                        const MediaGridModel& model, bool selected) const;
    void paintBadge(QPainter& painter, const QRectF& thumbnail, const MediaItem& item) const;
    void paintInformation(QPainter& painter, const MediaCardLayout& layout, const MediaItem& item,
                          const MediaGridModel& model) const;
    void paintStars(QPainter& painter, const MediaCardLayout& layout, std::int64_t rating) const;

    GridThumbnails& thumbnails_;
    std::optional<std::pair<QUuid, int>> pressedStar_;
    mutable MediaCardChrome chrome_;
};

}  // namespace lumivex
