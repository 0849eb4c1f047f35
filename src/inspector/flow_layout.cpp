#include "inspector/flow_layout.h"

#include <QWidget>

#include <algorithm>

namespace lumivex {

namespace {

// The width proposed when none is given.
constexpr int idealWidth = 260;

}  // namespace

FlowLayout::FlowLayout(int spacing, QWidget* parent) : QLayout(parent), spacing_(spacing) {
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

void FlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QList<QRect> FlowLayout::positions(int width, int* height) const {
    QList<QRect> result;
    int x = 0;
    int y = 0;
    int line = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) {
            result.append(QRect());
            continue;
        }
        const QSize size = item->sizeHint();
        if (x > 0 && x + size.width() > width) {
            y += line + spacing_;
            x = 0;
            line = 0;
        }
        result.append(QRect(QPoint(x, y), size));
        x += size.width() + spacing_;
        line = std::max(line, size.height());
    }
    if (height != nullptr) {
        *height = y + line;
    }
    return result;
}

int FlowLayout::heightForWidth(int width) const {
    if (width != cachedWidth_) {
        positions(width, &cachedHeight_);
        cachedWidth_ = width;
    }
    return cachedHeight_;
}

void FlowLayout::invalidate() {
    cachedWidth_ = -1;
    QLayout::invalidate();
}

QSize FlowLayout::sizeHint() const {
    return {idealWidth, heightForWidth(idealWidth)};
}

QSize FlowLayout::minimumSize() const {
    return {0, 0};
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QList<QRect> placed = positions(rect.width());
    for (qsizetype i = 0; i < items_.size(); ++i) {
        if (!placed[i].isNull()) {
            items_[i]->setGeometry(placed[i].translated(rect.topLeft()));
        }
    }
}

}  // namespace lumivex
