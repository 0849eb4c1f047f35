#include "browser/media_grid_view.h"

#include "browser/browser_palette.h"
#include "browser/browser_settings.h"
#include "browser/grid_key_monitor.h"
#include "browser/grid_thumbnails.h"
#include "browser/media_card_delegate.h"
#include "browser/media_card_layout.h"
#include "browser/media_card_menu.h"
#include "browser/media_grid_model.h"
#include "platform/lumivex_settings.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace lumivex {

MediaGridView::MediaGridView(Services services, QWidget* parent)
    : QAbstractItemView(parent),
      services_(services),
      settings_(new LumivexSettings(*services.defaults, this)),
      cardSize_(BrowserSettings::cardSize(*settings_)) {
    model_ = new MediaGridModel(*services_.store, this);
    thumbnails_ =
        new GridThumbnails({services_.thumbnails, services_.photosThumbnails, settings_}, this);
    delegate_ = new MediaCardDelegate(*thumbnails_, this);
    interaction_ = new GridInteraction(*this, this);
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionMode(NoSelection);
    setEditTriggers(NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    // Every paint fills its whole region; and only an opaque widget has its pixels moved on a
    // scroll rather than all painted again.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    thumbnailTimer_.setSingleShot(true);
    thumbnailTimer_.setInterval(thumbnailPause);
    connect(&thumbnailTimer_, &QTimer::timeout, this, &MediaGridView::requestThumbnails);
    connect(thumbnails_, &GridThumbnails::arrived, viewport(), qOverload<>(&QWidget::update));
    connect(delegate_, &MediaCardDelegate::rateRequested, this, &MediaGridView::rate);
    connect(model_, &QAbstractItemModel::modelReset, this, &MediaGridView::relayout);
    connect(settings_, &LumivexSettings::cardSizeChanged, this,
            [this] { setCardSize(BrowserSettings::cardSize(*settings_)); });
    connect(settings_, &LumivexSettings::photosPixelsChanged, this,
            &MediaGridView::resolutionChanged);
    connect(settings_, &LumivexSettings::folderPixelsChanged, this,
            &MediaGridView::resolutionChanged);
    keys_ = std::make_unique<GridKeyMonitor>(
        *this, [this] { return services_.store->selection().size(); },
        [this](const GridKeyboardAction& action) { return perform(action); });
    relayout();
}

MediaGridView::~MediaGridView() = default;

void MediaGridView::setCardSize(double size) {
    const double clamped = BrowserSettings::clampedCardSize(size);
    if (clamped == cardSize_) {
        return;
    }
    cardSize_ = clamped;
    relayout();
}

// The settings window writes the same settings the grid reads.
void MediaGridView::resolutionChanged() {
    viewport()->update();
    thumbnailTimer_.start();
}

void MediaGridView::setInteractionEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) {
        interaction_->finishDrag();
    }
}

void MediaGridView::relayout() {
    const int before = layout_.columns();
    layout_ = GridLayout(viewport()->width(), cardSize_, MediaCardLayout::infoHeight(),
                         model_->rowCount());
    QScrollBar* bar = verticalScrollBar();
    const int height = viewport()->height();
    bar->setRange(0, std::max(0, static_cast<int>(std::ceil(layout_.contentHeight())) - height));
    bar->setPageStep(height);
    bar->setSingleStep(static_cast<int>(layout_.cardHeight() / 4) + 1);
    viewport()->update();
    thumbnailTimer_.start();
    if (layout_.columns() != before) {
        Q_EMIT columnsChanged(layout_.columns());
    }
}

void MediaGridView::updateGeometries() {
    relayout();
    QAbstractItemView::updateGeometries();
}

void MediaGridView::resizeEvent(QResizeEvent* event) {
    QAbstractItemView::resizeEvent(event);
    relayout();
}

// Cards sit at whole pixels and paint the same wherever they are, so the pixels already on screen
// are moved and only the rows that come into view are painted.
void MediaGridView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
    thumbnailTimer_.start();
}

int MediaGridView::verticalOffset() const {
    return verticalScrollBar()->value();
}

QRect MediaGridView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= layout_.count()) {
        return {};
    }
    return cardRect(index.row());
}

// Every card is drawn at whole pixels and in one size, so that its surface and thumbnail are
// plain copies of pixmaps made once.
QRect MediaGridView::cardRect(qsizetype row) const {
    const QRectF frame = layout_.frame(row).translated(0, -offset());
    return {qRound(frame.left()), qRound(frame.top()), qRound(layout_.cardWidth()),
            qRound(layout_.cardHeight())};
}

void MediaGridView::scrollTo(const QModelIndex& index, ScrollHint) {
    if (!index.isValid() || index.row() >= layout_.count()) {
        return;
    }
    const QRectF frame = layout_.frame(index.row());
    const double top = offset();
    const double height = viewport()->height();
    if (frame.top() < top) {
        verticalScrollBar()->setValue(static_cast<int>(std::floor(frame.top())));
    } else if (frame.bottom() > top + height) {
        verticalScrollBar()->setValue(static_cast<int>(std::ceil(frame.bottom() - height)));
    }
}

QModelIndex MediaGridView::indexAt(const QPoint& point) const {
    const auto found = layout_.indexAt(QPointF(point) + QPointF(0, offset()));
    return found ? model_->index(static_cast<int>(*found)) : QModelIndex();
}

void MediaGridView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), BrowserPalette::canvas());
    const double top = offset() + event->rect().top();
    const auto [first, end] = layout_.rowSpan(top, top + event->rect().height());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    for (qsizetype row = first; row < end; ++row) {
        option.rect = cardRect(row);
        if (option.rect.intersects(event->rect())) {
            delegate_->paint(&painter, option, model_->index(static_cast<int>(row)));
        }
    }
    paintMarquee(painter);
}

void MediaGridView::paintMarquee(QPainter& painter) const {
    if (!marquee_) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(*marquee_, BrowserPalette::mint(0.13));
    painter.setPen(QPen(BrowserPalette::mint(0.9), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(*marquee_);
}

void MediaGridView::requestThumbnails() {
    thumbnails_->want(thumbnailOrder(), model_->root(),
                      qRound(qRound(layout_.cardWidth()) * devicePixelRatioF()));
}

// The rows on screen, then half a screen below and above them.
QList<MediaItem> MediaGridView::thumbnailOrder() const {
    const double top = offset();
    const double height = viewport()->height();
    QList<MediaItem> order;
    const auto add = [&](double from, double to) {
        const auto [first, end] = layout_.rowSpan(from, to);
        for (qsizetype row = first; row < end; ++row) {
            order.append(model_->item(row));
        }
    };
    add(top, top + height);
    add(top + height, top + 1.5 * height);
    add(top - height / 2, top);
    return order;
}

}  // namespace lumivex
