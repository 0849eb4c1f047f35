#include "inspector/option_list.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"
#include "inspector/property_option_picker_model.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace lumivex {

namespace {

constexpr int sidePadding = 5;
constexpr int bottomPadding = 8;
constexpr int rowHeight = OptionList::rowPitch - 3;
constexpr int rowInset = 7;
const QString emptyText = QStringLiteral("입력하고 Enter를 눌러 새 옵션을 만드세요.");
const QString handleHelp = QStringLiteral("드래그해서 옵션 순서 변경");

// A pill: the option on its mint fill; returns its width.
int paintPill(QPainter& painter, int x, const QRect& row, const QString& text) {
    const QFont font = BrowserFonts::system(12);
    const QFontMetrics metrics(font);
    const QString shown =
        metrics.elidedText(text, Qt::ElideRight, std::max(row.right() - x - 90, 40));
    const QRect pill(x, row.center().y() - (metrics.height() + 6) / 2,
                     metrics.horizontalAdvance(shown) + 14, metrics.height() + 6);
    InspectorStyle::paintRounded(painter, pill, 4, BrowserPalette::mint(0.10));
    painter.setFont(font);
    painter.setPen(BrowserPalette::mint());
    painter.drawText(pill, Qt::AlignCenter, shown);
    return pill.width();
}

}  // namespace

OptionList::OptionList(PropertyOptionPickerModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setMouseTracking(true);
    setAcceptDrops(true);
}

void OptionList::modelChanged() {
    if (hovered_ && !model_.matches().contains(*hovered_)) {
        hovered_.reset();
    }
    setFixedHeight(sizeHint().height());
    update();
}

QSize OptionList::sizeHint() const {
    const qsizetype rows = model_.rowCount();
    const int height = rows == 0 ? 44 : static_cast<int>(rows) * rowPitch + bottomPadding;
    return {260, height};
}

QRect OptionList::rowRect(qsizetype row) const {
    return {sidePadding, static_cast<int>(row) * rowPitch, width() - 2 * sidePadding, rowHeight};
}

qsizetype OptionList::rowAt(QPoint pos) const {
    if (pos.y() < 0 || pos.x() < sidePadding || pos.x() >= width() - sidePadding) {
        return -1;
    }
    const qsizetype row = pos.y() / rowPitch;
    if (row >= model_.rowCount() || pos.y() - row * rowPitch >= rowHeight) {
        return -1;
    }
    return row;
}

qsizetype OptionList::gapAt(QPoint pos) const {
    const qsizetype nearest = (pos.y() + rowPitch / 2) / rowPitch;
    return std::clamp<qsizetype>(pos.y() < 0 ? 0 : nearest, 0, model_.matches().size());
}

QRect OptionList::menuRect(const QRect& row) {
    return {row.right() - rowInset - 20, row.top(), 20 + rowInset, row.height()};
}

QRect OptionList::handleRect(const QRect& row) {
    return {row.left(), row.top(), rowInset + 16, row.height()};
}

std::optional<QString> OptionList::optionAt(QPoint pos) const {
    const qsizetype row = rowAt(pos);
    if (row < 0 || row >= model_.matches().size()) {
        return std::nullopt;
    }
    return model_.matches()[row];
}

// The rows are painted, so the handle's help is found by position.
bool OptionList::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const qsizetype row = rowAt(help->pos());
    if (row >= 0 && row < model_.matches().size() &&
        handleRect(rowRect(row)).contains(help->pos())) {
        QToolTip::showText(help->globalPos(), handleHelp, this, handleRect(rowRect(row)));
    } else {
        QToolTip::hideText();
    }
    return true;
}

void OptionList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QStringList& matches = model_.matches();
    if (model_.rowCount() == 0) {
        painter.setFont(BrowserFonts::system(11));
        painter.setPen(BrowserPalette::tertiaryText());
        painter.drawText(rect().adjusted(10, 10, -10, -10),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, emptyText);
        return;
    }
    const qsizetype first = std::max(0, event->rect().top() / rowPitch);
    const qsizetype last =
        std::min<qsizetype>(model_.rowCount() - 1, event->rect().bottom() / rowPitch);
    for (qsizetype row = first; row <= last; ++row) {
        if (row < matches.size()) {
            paintOption(painter, rowRect(row), matches[row]);
        } else {
            paintCreate(painter, rowRect(row));
        }
    }
    paintDropLine(painter);
}

// The line sits in the space between two rows, or at the top or bottom of the list.
void OptionList::paintDropLine(QPainter& painter) const {
    if (!dropGap_) {
        return;
    }
    const int y = std::clamp(static_cast<int>(*dropGap_) * rowPitch - 2, 0, height() - 2);
    painter.fillRect(QRect(sidePadding, y, width() - 2 * sidePadding, 2), BrowserPalette::mint());
}

void OptionList::setDropGap(std::optional<qsizetype> gap) {
    if (gap != dropGap_) {
        dropGap_ = gap;
        update();
    }
}

void OptionList::paintOption(QPainter& painter, const QRect& rect, const QString& option) const {
    const bool lit =
        model_.highlighted() == PropertyOptionPickerModel::optionRow(option) || hovered_ == option;
    if (lit) {
        InspectorStyle::paintRounded(painter, rect, 5, BrowserPalette::white(0.06));
    }
    const QRect handle = handleRect(rect);
    BrowserIcons::paint(painter, QStringLiteral("line.3.horizontal"),
                        QRectF(handle.left() + rowInset + 3, handle.center().y() - 5, 10, 10),
                        BrowserPalette::tertiaryText());
    paintPill(painter, handle.right() + 7, rect, option);
    const QRect menu = menuRect(rect);
    BrowserIcons::paint(painter, QStringLiteral("ellipsis"),
                        QRectF(menu.left() + 4.5, menu.center().y() - 5.5, 11, 11),
                        BrowserPalette::secondaryText());
    const int count = model_.count(option);
    const int total = model_.holdingsOf().total;
    if (count < 1) {
        return;
    }
    int right = menu.left() - 6;
    BrowserIcons::paint(
        painter, count >= total ? QStringLiteral("checkmark") : QStringLiteral("minus"),
        QRectF(right - 11, rect.center().y() - 5.5, 11, 11), BrowserPalette::mint());
    right -= 11 + 8;
    if (count < total) {
        painter.setFont(BrowserFonts::system(10));
        painter.setPen(BrowserPalette::secondaryText());
        painter.drawText(QRect(right - 60, rect.top(), 60, rect.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("%1/%2").arg(count).arg(total));
    }
}

void OptionList::paintCreate(QPainter& painter, const QRect& rect) const {
    if (model_.highlighted() == PropertyOptionPickerModel::createRow) {
        InspectorStyle::paintRounded(painter, rect, 5, BrowserPalette::white(0.07));
    }
    int x = rect.left() + 10;
    BrowserIcons::paint(painter, QStringLiteral("plus"), QRectF(x, rect.center().y() - 6, 12, 12),
                        BrowserPalette::secondaryText());
    x += 12 + 8;
    painter.setFont(BrowserFonts::system(12));
    painter.setPen(BrowserPalette::secondaryText());
    const QString label = QStringLiteral("생성");
    painter.drawText(QRect(x, rect.top(), 60, rect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     label);
    x += painter.fontMetrics().horizontalAdvance(label) + 8;
    paintPill(painter, x, rect, model_.createText());
    BrowserIcons::paint(painter, QStringLiteral("return"),
                        QRectF(rect.right() - 10 - 10, rect.center().y() - 5, 10, 10),
                        BrowserPalette::secondaryText());
}

void OptionList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressedAt_ = event->position().toPoint();
    pressedOption_ = optionAt(*pressedAt_);
}

void OptionList::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const std::optional<QString> over = optionAt(pos);
    if (over != hovered_) {
        hovered_ = over;
        update();
    }
    if (pressedAt_ && pressedOption_ && event->buttons().testFlag(Qt::LeftButton) &&
        (pos - *pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
        const QString option = *pressedOption_;
        pressedAt_.reset();
        pressedOption_.reset();
        startDrag(option);
    }
}

void OptionList::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressedAt_ || event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = *pressedAt_;
    pressedAt_.reset();
    pressedOption_.reset();
    const qsizetype row = rowAt(pos);
    if (row < 0 || rowAt(event->position().toPoint()) != row) {
        return;
    }
    if (row >= model_.matches().size()) {
        Q_EMIT createTapped();
        return;
    }
    const QString option = model_.matches()[row];
    const QRect rect = rowRect(row);
    if (menuRect(rect).contains(pos)) {
        Q_EMIT menuRequested(option, mapToGlobal(menuRect(rect).bottomLeft()));
    } else if (!handleRect(rect).contains(pos)) {
        Q_EMIT optionTapped(option);
    }
}

void OptionList::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (hovered_) {
        hovered_.reset();
        update();
    }
}

void OptionList::startDrag(const QString& option) {
    model_.startDrag(option);
    auto* mime = new QMimeData;
    mime->setData(dragType, option.toUtf8());
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
    // Dropped anywhere, or nowhere: the drag is over.
    model_.endDrag();
    setDropGap(std::nullopt);
}

void OptionList::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasFormat(dragType) || !model_.dragged()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    dragMoveEvent(event);
}

void OptionList::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasFormat(dragType)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    const qsizetype gap = gapAt(event->position().toPoint());
    setDropGap(model_.dropAt(gap) ? std::optional(gap) : std::nullopt);
}

void OptionList::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    setDropGap(std::nullopt);
}

void OptionList::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(dragType) || !model_.dragged()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    const std::optional<PropertyOptionPickerModel::Move> move =
        model_.dropAt(gapAt(event->position().toPoint()));
    model_.endDrag();
    setDropGap(std::nullopt);
    if (move) {
        Q_EMIT moveRequested(move->option, move->before);
    }
}

}  // namespace lumivex
