#include "store/lumivex_store.h"
#include "store/shell_services.h"

namespace lumivex {

bool LumivexStore::editingAllowed() const {
    return source_ != LibrarySource::none && !locked_ && !deleting_ && !deletionRequest_;
}

void LumivexStore::selectAllVisible() {
    if (!editingAllowed()) {
        return;
    }
    const QList<QUuid>& order = visibleOrder();
    QSet<QUuid> all;
    all.reserve(order.size());
    for (const QUuid& id : order) {
        all.insert(id);
    }
    setSelection(all);
    anchor_ = order.isEmpty() ? std::nullopt : std::optional<QUuid>(order.first());
}

void LumivexStore::select(const QUuid& id, Qt::KeyboardModifiers modifiers) {
    if (deleting_ || !browseSnapshot().positions.contains(id)) {
        return;
    }
    services_.shell->endTextEditing();
    if (modifiers.testFlag(Qt::ShiftModifier) && anchor_) {
        const QList<QUuid>& order = visibleOrder();
        const qsizetype a = order.indexOf(*anchor_);
        const qsizetype b = order.indexOf(id);
        if (a >= 0 && b >= 0) {
            QSet<QUuid> extended = selection_;
            for (qsizetype i = std::min(a, b); i <= std::max(a, b); ++i) {
                extended.insert(order[i]);
            }
            setSelection(extended);
            return;
        }
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        QSet<QUuid> toggled = selection_;
        if (!toggled.remove(id)) {
            toggled.insert(id);
        }
        setSelection(toggled);
    } else {
        setSelection({id});
    }
    anchor_ = id;
}

std::optional<QUuid> LumivexStore::moveSingleSelection(GridNavigationDirection direction,
                                                       int columns) {
    if (!editingAllowed() || selection_.size() != 1) {
        return std::nullopt;
    }
    const QList<QUuid>& order = visibleOrder();
    const qsizetype index = order.indexOf(*selection_.begin());
    if (index < 0) {
        return std::nullopt;
    }
    const QUuid target = order[gridTarget(index, order.size(), columns, direction)];
    setSelection({target});
    anchor_ = target;
    return target;
}

bool LumivexStore::setSingleSelectionRating(int rating) {
    if (!editingAllowed() || !library_.ratingProperty() || rating < 0 || rating > 5 ||
        selection_.size() != 1 || !visibleOrder().contains(*selection_.begin())) {
        return false;
    }
    setRating(rating);
    return true;
}

void LumivexStore::setRating(int rating) {
    if (!library_.ratingProperty()) {
        return;
    }
    const int clamped = std::clamp(rating, 0, 5);
    updateSelected(QStringLiteral("별점 변경"),
                   [clamped](MediaItem& item) { item.rating = clamped; });
}

}  // namespace lumivex
