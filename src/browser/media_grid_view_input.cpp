#include "browser/grid_key_monitor.h"
#include "browser/grid_keyboard_action.h"
#include "browser/media_card_delegate.h"
#include "browser/media_card_menu.h"
#include "browser/media_grid_model.h"
#include "browser/media_grid_view.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleHints>

#include <cmath>

namespace lumivex {

namespace {

QAbstractSlider::SliderAction scrollStep(GridKeyboardAction::Kind kind) {
    switch (kind) {
        case GridKeyboardAction::Kind::scrollPageUp:
            return QAbstractSlider::SliderPageStepSub;
        case GridKeyboardAction::Kind::scrollPageDown:
            return QAbstractSlider::SliderPageStepAdd;
        case GridKeyboardAction::Kind::scrollToTop:
            return QAbstractSlider::SliderToMinimum;
        case GridKeyboardAction::Kind::scrollToBottom:
            return QAbstractSlider::SliderToMaximum;
        default:
            return QAbstractSlider::SliderNoAction;
    }
}

}  // namespace

QRectF MediaGridView::bounds() const {
    return QRectF(viewport()->rect());
}

double MediaGridView::offset() const {
    return verticalScrollBar()->value();
}

void MediaGridView::advance(double delta) {
    QScrollBar* bar = verticalScrollBar();
    const double target = bar->value() + delta + scrollRemainder_;
    const double whole = std::trunc(target);
    scrollRemainder_ = target - whole;
    bar->setValue(static_cast<int>(std::clamp(whole, static_cast<double>(bar->minimum()),
                                              static_cast<double>(bar->maximum()))));
}

std::optional<QUuid> MediaGridView::cardAt(QPointF point) const {
    const auto found = layout_.indexAt(point + QPointF(0, offset()));
    if (!found) {
        return std::nullopt;
    }
    return model_->item(*found).id;
}

QRectF MediaGridView::frame(const QUuid& id) const {
    const auto row = model_->row(id);
    return row ? layout_.frame(*row).translated(0, -offset()) : QRectF();
}

QList<QUuid> MediaGridView::cardsMeeting(const QRectF& content) const {
    QList<QUuid> ids;
    for (const qsizetype row : layout_.indicesMeeting(content)) {
        ids.append(model_->item(row).id);
    }
    return ids;
}

std::optional<qsizetype> MediaGridView::position(const QUuid& id) const {
    return model_->row(id);
}

QList<QUuid> MediaGridView::slice(qsizetype first, qsizetype last) const {
    QList<QUuid> ids;
    for (qsizetype row = std::max<qsizetype>(first, 0); row <= last && row < model_->rowCount();
         ++row) {
        ids.append(model_->item(row).id);
    }
    return ids;
}

QSet<QUuid> MediaGridView::selection() const {
    return services_.store->selection();
}

void MediaGridView::select(const QSet<QUuid>& ids) {
    services_.store->setSelection(ids);
}

void MediaGridView::click(const QUuid& id, Qt::KeyboardModifiers modifiers) {
    services_.store->select(id, modifiers);
}

void MediaGridView::marquee(const std::optional<QRectF>& rect) {
    marquee_ = rect;
    viewport()->update();
}

// Mouse and keys act only in the active window with nothing modal above it.
bool MediaGridView::acceptsMouse() const {
    QWidget* modal = QApplication::activeModalWidget();
    return enabled_ && isEnabled() && window()->isActiveWindow() &&
           (modal == nullptr || modal == window());
}

void MediaGridView::forwardToCard(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        return;
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    delegate_->editorEvent(event, model_, option, index);
}

void MediaGridView::mousePressEvent(QMouseEvent* event) {
    if (!acceptsMouse()) {
        interaction_->finishDrag();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        // Typing leaves the text fields for the grid, which keeps the keyboard when its window
        // comes back after a sheet, an alert or another application; with no focus at all the
        // window would hand it to its first field, the search.
        setFocus(Qt::MouseFocusReason);
        interaction_->press(event->position(), event->modifiers(), clickCount(*event));
    }
    forwardToCard(event);
}

// Qt delivers the second press of a double click as a press before its double-click event; only
// the first press of the pair may reach the store.
int MediaGridView::clickCount(const QMouseEvent& event) {
    const quint64 time = event.timestamp();
    const QPointF point = event.position();
    const bool second =
        lastPress_ && time >= lastPress_->first &&
        time - lastPress_->first <=
            static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval()) &&
        (point - lastPress_->second).manhattanLength() <=
            QGuiApplication::styleHints()->mouseDoubleClickDistance();
    lastPress_ = second ? std::nullopt : std::optional(std::pair(time, point));
    return second ? 2 : 1;
}

void MediaGridView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!acceptsMouse() || event->button() != Qt::LeftButton) {
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) {
        Q_EMIT previewRequested(model_->item(index.row()));
    }
}

void MediaGridView::mouseMoveEvent(QMouseEvent* event) {
    if (!acceptsMouse()) {
        interaction_->finishDrag();
        return;
    }
    if (event->buttons() & Qt::LeftButton) {
        interaction_->move(event->position());
    }
}

void MediaGridView::mouseReleaseEvent(QMouseEvent* event) {
    if (!acceptsMouse()) {
        interaction_->finishDrag();
        return;
    }
    if (event->button() == Qt::LeftButton && interaction_->release()) {
        return;
    }
    forwardToCard(event);
}

void MediaGridView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid() || !enabled_) {
        return;
    }
    const MediaItem item = model_->item(index.row());
    MediaCardMenu::popup(
        item, {services_.store, services_.shell}, event->globalPos(),
        [this, item] { Q_EMIT previewRequested(item); }, this);
}

void MediaGridView::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void MediaGridView::hideEvent(QHideEvent* event) {
    interaction_->finishDrag();
    QAbstractItemView::hideEvent(event);
}

void MediaGridView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !window()->isActiveWindow()) {
        interaction_->finishDrag();
    }
    QAbstractItemView::changeEvent(event);
}

bool MediaGridView::perform(const GridKeyboardAction& action) {
    if (!enabled_) {
        return false;
    }
    LumivexStore& store = *services_.store;
    switch (action.kind) {
        case GridKeyboardAction::Kind::move: {
            const std::optional<QUuid> moved =
                store.moveSingleSelection(action.direction, columns());
            if (moved) {
                revealIfHidden(*moved);
            }
            return moved.has_value();
        }
        case GridKeyboardAction::Kind::rate:
            return rateSelection(action.rating);
        case GridKeyboardAction::Kind::deleteSelection:
            store.requestDeletion(std::nullopt);
            return true;
        case GridKeyboardAction::Kind::selectAll:
            store.selectAllVisible();
            return true;
        case GridKeyboardAction::Kind::scrollPageUp:
        case GridKeyboardAction::Kind::scrollPageDown:
        case GridKeyboardAction::Kind::scrollToTop:
        case GridKeyboardAction::Kind::scrollToBottom:
            // The page step is the viewport's height, as in a scroll area.
            verticalScrollBar()->triggerAction(scrollStep(action.kind));
            return true;
    }
    return false;
}

void MediaGridView::revealIfHidden(const QUuid& id) {
    const auto row = model_->row(id);
    if (row && !bounds().contains(frame(id))) {
        scrollTo(model_->index(static_cast<int>(*row)));
    }
}

// A rating can move the card in a rating sort or filter; the view follows it.
bool MediaGridView::rateSelection(int rating) {
    LumivexStore& store = *services_.store;
    if (!store.setSingleSelectionRating(rating)) {
        return false;
    }
    if (store.selection().size() == 1) {
        const QUuid id = *store.selection().cbegin();
        if (const auto row = model_->row(id)) {
            scrollTo(model_->index(static_cast<int>(*row)));
        }
    }
    return true;
}

void MediaGridView::rate(const QUuid& id, int rating) {
    LumivexStore& store = *services_.store;
    store.setSelection({id});
    store.setRating(rating);
}

}  // namespace lumivex
