#pragma once

#include "browser/grid_interaction.h"
#include "browser/grid_layout.h"

#include <QAbstractItemView>
#include <QTimer>

#include <memory>
#include <optional>

namespace lumivex {

class GridKeyMonitor;
class GridThumbnails;
class LumivexStore;
class MediaCardDelegate;
class MediaGridModel;
class PhotosThumbnailCache;
class LumivexSettings;
class ShellServices;
class ThumbnailCache;
class UserDefaults;
struct GridKeyboardAction;
struct MediaItem;

// The media grid: one card per visible item of the store, in display order, laid out by
// arithmetic (GridLayout) and painted by MediaCardDelegate for the rows on screen only. Mouse
// and keys go through GridInteraction and GridKeyMonitor to the store's operations; the grid
// reports its column count and asks the window to open an item's preview. Thumbnails are asked
// for when scrolling pauses. Main thread.
class MediaGridView final : public QAbstractItemView, private GridInteraction::Grid {
    Q_OBJECT

public:
    struct Services {
        LumivexStore* store = nullptr;
        UserDefaults* defaults = nullptr;
        ShellServices* shell = nullptr;
        ThumbnailCache* thumbnails = nullptr;
        PhotosThumbnailCache* photosThumbnails = nullptr;
    };

    static constexpr int thumbnailPause = 120;  // milliseconds of quiet before thumbnails load

    explicit MediaGridView(Services services, QWidget* parent = nullptr);
    ~MediaGridView() override;

    // The minimum card width; kept within the settings' range.
    void setCardSize(double size);
    double cardSize() const { return cardSize_; }
    // Whether mouse and keys act on the grid (false while the window shows something above it).
    void setInteractionEnabled(bool enabled);
    bool interactionEnabled() const { return enabled_; }

    int columns() const { return layout_.columns(); }
    const GridLayout& gridLayout() const { return layout_; }
    MediaGridModel& gridModel() const { return *model_; }
    GridInteraction& interaction() const { return *interaction_; }
    GridThumbnails& thumbnails() const { return *thumbnails_; }
    std::optional<QRectF> marqueeRect() const { return marquee_; }
    // Loads the thumbnails of the rows on screen and about one screen around them now.
    void requestThumbnails();
    // Carries out a key's action; true when it was consumed.
    bool perform(const GridKeyboardAction& action);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

Q_SIGNALS:
    void columnsChanged(int columns);
    // The user asked to see this item in the preview.
    void previewRequested(const MediaItem& item);

protected:
    QModelIndex moveCursor(CursorAction, Qt::KeyboardModifiers) override { return {}; }
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect&, QItemSelectionModel::SelectionFlags) override {}
    QRegion visualRegionForSelection(const QItemSelection&) const override { return {}; }
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // GridInteraction::Grid
    QRectF bounds() const override;
    double offset() const override;
    void advance(double delta) override;
    std::optional<QUuid> cardAt(QPointF point) const override;
    QRectF frame(const QUuid& id) const override;
    QList<QUuid> cardsMeeting(const QRectF& content) const override;
    std::optional<qsizetype> position(const QUuid& id) const override;
    QList<QUuid> slice(qsizetype first, qsizetype last) const override;
    QSet<QUuid> selection() const override;
    void select(const QSet<QUuid>& ids) override;
    void click(const QUuid& id, Qt::KeyboardModifiers modifiers) override;
    void marquee(const std::optional<QRectF>& rect) override;

    void relayout();
    QRect cardRect(qsizetype row) const;
    void resolutionChanged();
    bool acceptsMouse() const;
    int clickCount(const QMouseEvent& event);
    void forwardToCard(QMouseEvent* event);
    void rate(const QUuid& id, int rating);
    bool rateSelection(int rating);
    void revealIfHidden(const QUuid& id);
    void paintMarquee(QPainter& painter) const;
    QList<MediaItem> thumbnailOrder() const;

    Services services_;
    LumivexSettings* settings_;
    MediaGridModel* model_ = nullptr;
    GridThumbnails* thumbnails_ = nullptr;
    MediaCardDelegate* delegate_ = nullptr;
    GridInteraction* interaction_ = nullptr;
    std::unique_ptr<GridKeyMonitor> keys_;
    GridLayout layout_;
    double cardSize_;
    bool enabled_ = true;
    std::optional<QRectF> marquee_;
    double scrollRemainder_ = 0;
    std::optional<std::pair<quint64, QPointF>> lastPress_;  // time and place of a first click
    QTimer thumbnailTimer_;
};

}  // namespace lumivex
