#include "browser/media_card_delegate.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/grid_thumbnails.h"
#include "browser/media_card_layout.h"
#include "browser/media_grid_model.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace lumivex {

namespace {

const MediaGridModel* gridModel(const QModelIndex& index) {
    return qobject_cast<const MediaGridModel*>(index.model());
}

void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment alignment = Qt::AlignLeft) {
    painter.setFont(font);
    painter.setPen(color);
    const QString shown =
        painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(rect.width()));
    painter.drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter | Qt::TextSingleLine),
                     shown);
}

}  // namespace

MediaCardDelegate::MediaCardDelegate(GridThumbnails& thumbnails, QObject* parent)
    : QStyledItemDelegate(parent), thumbnails_(thumbnails) {}

QString MediaCardDelegate::noValuesText() {
    return QStringLiteral("분류를 지정하세요");
}

QString MediaCardDelegate::valuesText(const MediaItem& item, const MediaGridModel& model) {
    QStringList values;
    for (const Category& category : model.categories()) {
        if (const auto found = item.labels.find(category.idText()); found != item.labels.end()) {
            values += found->second;
        }
    }
    return values.join(QStringLiteral(" · "));
}

QSize MediaCardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return option.rect.size();
}

void MediaCardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const MediaGridModel* model = gridModel(index);
    if (model == nullptr) {
        return;
    }
    const MediaItem& item = model->item(index.row());
    const MediaCardLayout layout(option.rect);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    paintThumbnail(*painter, layout, item, *model, model->isSelected(index.row()));
    paintInformation(*painter, layout, item, *model);
    painter->restore();
}

void MediaCardDelegate::paintThumbnail(QPainter& painter, const MediaCardLayout& layout,
                                       const MediaItem& item, const MediaGridModel& model,
                                       bool selected) const {
    const QRectF square = layout.thumbnail();
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QPixmap pixmap = thumbnails_.square(item, model.root(), qRound(square.width() * ratio));
    if (pixmap.isNull()) {
        const bool video = item.kind == MediaKind::video;
        const double dim = thumbnails_.failed(item, model.root()) ? 0.1 : 0.18;
        chrome_.paintSurface(
            painter, layout.card(), selected, true,
            MediaCardChrome::Glyph{video ? QStringLiteral("video") : QStringLiteral("photo"),
                                   BrowserPalette::white(dim), std::min(36.0, square.width() / 4)});
    } else {
        chrome_.paintSurface(painter, layout.card(), selected, false);
        painter.drawPixmap(square.topLeft(), pixmap);
        chrome_.paintThumbnailEdges(painter, layout.card(), selected);
    }
    if (item.kind == MediaKind::video) {
        paintBadge(painter, square, item);
    }
}

void MediaCardDelegate::paintBadge(QPainter& painter, const QRectF& thumbnail,
                                   const MediaItem& item) const {
    const QFont font = MediaCardLayout::badgeFont();
    const QString text = item.durationText();
    const QFontMetricsF metrics(font);
    const double symbol = 7;
    const double width = 7 + symbol + 4 + metrics.horizontalAdvance(text) + 7;
    const double height = std::max(symbol, metrics.height()) + 8;
    const QRectF badge(thumbnail.right() - 9 - width, thumbnail.bottom() - 9 - height, width,
                       height);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrowserPalette::black(0.65));
    painter.drawRoundedRect(badge, height / 2, height / 2);
    const QColor ink = BrowserPalette::primaryText();
    BrowserIcons::paint(painter, QStringLiteral("play.fill"),
                        QRectF(badge.left() + 7, badge.center().y() - symbol / 2, symbol, symbol),
                        ink);
    drawLine(painter, badge.adjusted(7 + symbol + 4, 0, -7, 0), text, font, ink);
}

void MediaCardDelegate::paintInformation(QPainter& painter, const MediaCardLayout& layout,
                                         const MediaItem& item, const MediaGridModel& model) const {
    drawLine(painter, layout.name(), item.filename, MediaCardLayout::nameFont(),
             BrowserPalette::primaryText());
    if (model.hasRatingProperty()) {
        paintStars(painter, layout, item.rating);
    }
    drawLine(painter, layout.starRow(),
             item.kind == MediaKind::video ? QStringLiteral("영상") : QStringLiteral("사진"),
             MediaCardLayout::kindFont(), BrowserPalette::tertiaryText(), Qt::AlignRight);
    const QString values = valuesText(item, model);
    if (values.isEmpty()) {
        drawLine(painter, layout.values(), noValuesText(), MediaCardLayout::valuesFont(),
                 BrowserPalette::withOpacity(BrowserPalette::secondaryText(), 0.5));
    } else {
        drawLine(painter, layout.values(), values, MediaCardLayout::valuesFont(),
                 BrowserPalette::mint(0.75));
    }
}

void MediaCardDelegate::paintStars(QPainter& painter, const MediaCardLayout& layout,
                                   std::int64_t rating) const {
    const qreal ratio = painter.device()->devicePixelRatioF();
    for (int number = 1; number <= 5; ++number) {
        const bool lit = number <= rating;
        const QPixmap star = BrowserIcons::pixmap(
            lit ? QStringLiteral("star.fill") : QStringLiteral("star"),
            static_cast<int>(MediaCardLayout::starSide),
            lit ? BrowserPalette::mint()
                : BrowserPalette::withOpacity(BrowserPalette::secondaryText(), 0.45),
            ratio);
        painter.drawPixmap(layout.star(number).topLeft(), star);
    }
}

bool MediaCardDelegate::editorEvent(QEvent* event, QAbstractItemModel*,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    const MediaGridModel* model = gridModel(index);
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (model == nullptr || !model->hasRatingProperty() ||
        (!press && event->type() != QEvent::MouseButtonRelease)) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const MediaItem& item = model->item(index.row());
    const std::optional<int> star = MediaCardLayout(option.rect).starAt(mouse->position());
    if (press) {
        pressedStar_.reset();
        if (star && mouse->button() == Qt::LeftButton) {
            pressedStar_ = std::pair(item.id, *star);
        }
        return star.has_value();
    }
    const bool clicked = star && pressedStar_ == std::pair(item.id, *star);
    pressedStar_.reset();
    if (clicked) {
        Q_EMIT rateRequested(item.id, *star == item.rating ? 0 : *star);
    }
    return clicked;
}

bool MediaCardDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    const MediaGridModel* model = gridModel(index);
    if (model == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const MediaCardLayout layout(option.rect);
    QString help;
    if (const auto star = layout.starAt(event->pos()); star && model->hasRatingProperty()) {
        help = QString::number(*star) + QStringLiteral("점");
    } else if (layout.name().contains(event->pos())) {
        help = model->item(index.row()).filename;
    }
    if (help.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    QToolTip::showText(event->globalPos(), help, view);
    return true;
}

}  // namespace lumivex
