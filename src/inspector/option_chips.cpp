#include "inspector/option_chips.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace lumivex {

namespace {

// A chip's insets and parts: text, count and mark 4 apart; the mark a 14 px square.
constexpr int leftInset = 7;
constexpr int rightInset = 5;
constexpr int verticalInset = 4;
constexpr int partSpacing = 4;
constexpr int markSize = 14;
constexpr int markSymbol = 8;
// Measured texts kept at most; past it the measures start again.
constexpr qsizetype measuredLimit = 20000;

const QString removeHelp = QStringLiteral("선택한 파일에서 이 값 제거");

}  // namespace

OptionChips::OptionChips(QWidget* parent)
    : QWidget(parent), font_(BrowserFonts::system(11)), textHeight_(QFontMetrics(font_).height()) {
    setMouseTracking(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QString OptionChips::countText(const Chip& chip) {
    return chip.count < chip.total ? QStringLiteral("%1/%2").arg(chip.count).arg(chip.total)
                                   : QString();
}

int OptionChips::textWidth(const QString& text) {
    const auto found = measured_.constFind(text);
    if (found != measured_.constEnd()) {
        return *found;
    }
    if (measured_.size() >= measuredLimit) {
        measured_.clear();
    }
    const int width = QFontMetrics(font_).horizontalAdvance(text);
    measured_.insert(text, width);
    return width;
}

int OptionChips::countWidth(const Chip& chip) {
    if (chip.count >= chip.total) {
        return 0;
    }
    const qint64 key = (static_cast<qint64>(chip.count) << 32) | static_cast<quint32>(chip.total);
    const auto found = measuredCounts_.constFind(key);
    if (found != measuredCounts_.constEnd()) {
        return *found;
    }
    if (measuredCounts_.size() >= measuredLimit) {
        measuredCounts_.clear();
    }
    const int width = QFontMetrics(font_).horizontalAdvance(countText(chip)) + partSpacing;
    measuredCounts_.insert(key, width);
    return width;
}

void OptionChips::setChips(QList<Chip> chips) {
    if (chips == chips_) {
        return;
    }
    chips_ = std::move(chips);
    sizes_.clear();
    textWidths_.clear();
    const int height = std::max(textHeight_, markSize) + 2 * verticalInset;
    for (const Chip& chip : std::as_const(chips_)) {
        const int value = textWidth(chip.value);
        const int counted = countWidth(chip);
        textWidths_.append({value, counted});
        sizes_.append({leftInset + value + partSpacing + counted + markSize + rightInset, height});
    }
    placedWidth_ = -1;
    hovered_.reset();
    updateGeometry();
    update();
}

QStringList OptionChips::texts() const {
    QStringList result;
    for (const Chip& chip : chips_) {
        result.append(chip.value);
        if (const QString count = countText(chip); !count.isEmpty()) {
            result.append(count);
        }
    }
    return result;
}

const QList<QRect>& OptionChips::placed() const {
    if (placedWidth_ != width()) {
        placedWidth_ = width();
        placed_ = flow_.positions(sizes_, placedWidth_, &placedHeight_);
        // A chip wider than the row stands alone on it, narrowed to the row so that its mark
        // stays in reach; its value is elided instead.
        for (QRect& chip : placed_) {
            chip.setWidth(std::min(chip.width(), std::max(placedWidth_, 0)));
        }
    }
    return placed_;
}

QRect OptionChips::markRect(qsizetype index) const {
    const QRect chip = placed().value(index);
    return {chip.right() + 1 - rightInset - markSize, chip.top() + (chip.height() - markSize) / 2,
            markSize, markSize};
}

int OptionChips::heightForWidth(int width) const {
    return flow_.sizeThatFits(sizes_, width).height();
}

QSize OptionChips::sizeHint() const {
    return flow_.sizeThatFits(sizes_, std::nullopt);
}

std::optional<qsizetype> OptionChips::markAt(QPoint point) const {
    const QList<QRect>& chips = placed();
    for (qsizetype i = 0; i < chips.size(); ++i) {
        if (chips[i].contains(point)) {
            return markRect(i).contains(point) ? std::optional(i) : std::nullopt;
        }
    }
    return std::nullopt;
}

void OptionChips::setHovered(std::optional<qsizetype> index) {
    if (index == hovered_) {
        return;
    }
    for (const std::optional<qsizetype>& changed : {hovered_, index}) {
        if (changed) {
            update(markRect(*changed));
        }
    }
    hovered_ = index;
    if (hovered_) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

// Only the chips in the exposed part are drawn: a long list stands mostly outside the inspector's
// visible rows.
void OptionChips::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setFont(font_);
    const QList<QRect>& chips = placed();
    const QPixmap mark = BrowserIcons::pixmap(QStringLiteral("xmark"), markSymbol,
                                              BrowserPalette::mint(), devicePixelRatioF());
    for (qsizetype i = 0; i < chips.size(); ++i) {
        const QRect& chip = chips[i];
        if (!event->rect().intersects(chip)) {
            continue;
        }
        InspectorStyle::paintRounded(painter, chip, 4, BrowserPalette::mint(0.10));
        const auto [natural, counted] = textWidths_[i];
        // What the chip leaves its value once the insets, the count and the mark are placed.
        const int room = std::max(chip.width() - (sizes_[i].width() - natural), 0);
        const int value = std::min(natural, room);
        QRect text(chip.left() + leftInset, chip.top() + verticalInset, value, textHeight_);
        text.moveTop(chip.top() + (chip.height() - textHeight_) / 2);
        painter.setPen(BrowserPalette::mint());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         value < natural ? painter.fontMetrics().elidedText(chips_[i].value,
                                                                            Qt::ElideRight, value)
                                         : chips_[i].value);
        if (counted > 0) {
            painter.setPen(BrowserPalette::secondaryText());
            painter.drawText(text.translated(value + partSpacing, 0).adjusted(0, 0, counted, 0),
                             Qt::AlignLeft | Qt::AlignVCenter, countText(chips_[i]));
        }
        const QRect markBox = markRect(i);
        if (hovered_ == i) {
            InspectorStyle::paintRounded(painter, markBox, 3, BrowserPalette::white(0.10));
        }
        const QSizeF size = mark.deviceIndependentSize();
        painter.drawPixmap(QPointF(markBox.center().x() + 0.5 - size.width() / 2,
                                   markBox.center().y() + 0.5 - size.height() / 2),
                           mark);
    }
}

void OptionChips::mousePressEvent(QMouseEvent* event) {
    const std::optional<qsizetype> index = markAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index) {
        event->accept();
        Q_EMIT removeRequested(chips_[*index].value);
        return;
    }
    event->ignore();
}

void OptionChips::mouseMoveEvent(QMouseEvent* event) {
    setHovered(markAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void OptionChips::leaveEvent(QEvent* event) {
    setHovered(std::nullopt);
    QWidget::leaveEvent(event);
}

bool OptionChips::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const std::optional<qsizetype> index = markAt(help->pos())) {
            QToolTip::showText(help->globalPos(), removeHelp, this, markRect(*index));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    if (event->type() == QEvent::Resize) {
        placedWidth_ = -1;
    }
    return QWidget::event(event);
}

}  // namespace lumivex
