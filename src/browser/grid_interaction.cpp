#include "browser/grid_interaction.h"

#include "browser/grid_auto_scroll.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumivex {

namespace {

double steadySeconds() {
    static QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double distanceTo(const QRectF& rect, QPointF point) {
    const double dx = std::max({0.0, rect.left() - point.x(), point.x() - rect.right()});
    const double dy = std::max({0.0, rect.top() - point.y(), point.y() - rect.bottom()});
    return std::hypot(dx, dy);
}

QRectF spanning(QPointF a, QPointF b) {
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()),
            std::abs(a.y() - b.y())};
}

}  // namespace

GridInteraction::GridInteraction(Grid& grid, QObject* parent)
    : QObject(parent),
      grid_(grid),
      now_(steadySeconds),
      buttons_([] { return QGuiApplication::mouseButtons(); }) {
    scrollTimer_.setInterval(tickInterval);
    scrollTimer_.setTimerType(Qt::PreciseTimer);
    connect(&scrollTimer_, &QTimer::timeout, this, &GridInteraction::tick);
}

void GridInteraction::press(QPointF point, Qt::KeyboardModifiers modifiers, int clickCount) {
    finishDrag();
    if (!grid_.bounds().contains(point)) {
        return;
    }
    const std::optional<QUuid> hit = grid_.cardAt(point);
    if (hit) {
        if (clickCount == 1) {
            grid_.click(*hit, modifiers);
        }
        const QRectF frame = grid_.frame(*hit);
        if (point.y() > frame.top() + frame.width()) {
            return;  // on the name, stars or values: a click, never a drag
        }
    }
    start_ = point;
    startOffset_ = grid_.offset();
    pointer_ = point;
    dragging_ = false;
    startedOnBlank_ = !hit;
    startItem_ = hit;
    const bool adding = modifiers & (Qt::ControlModifier | Qt::ShiftModifier);
    base_ = adding ? grid_.selection() : QSet<QUuid>();
}

bool GridInteraction::move(QPointF point) {
    if (!start_) {
        return false;
    }
    pointer_ = point;
    if (!dragging_) {
        if (std::hypot(point.x() - start_->x(), point.y() - start_->y()) < dragThreshold) {
            return false;
        }
        dragging_ = true;
        beginScrolling();
        grid_.advance(GridAutoScroll::velocity(point, grid_.bounds()) / 30);
    }
    updateSelection(point);
    return true;
}

bool GridInteraction::release() {
    if (!start_) {
        return false;
    }
    if (dragging_) {
        finishDrag();
        return true;
    }
    if (startedOnBlank_) {
        grid_.select(shownBase());
    }
    finishDrag();
    return false;
}

void GridInteraction::finishDrag() {
    scrollTimer_.stop();
    const bool wasArmed = start_.has_value();
    start_.reset();
    dragging_ = false;
    if (wasArmed) {
        grid_.marquee(std::nullopt);
    }
}

void GridInteraction::beginScrolling() {
    if (scrollTimer_.isActive()) {
        return;
    }
    lastTick_ = now_();
    scrollTimer_.start();
}

void GridInteraction::tick() {
    if (!dragging_ || !(buttons_() & Qt::LeftButton)) {
        finishDrag();
        return;
    }
    const double now = now_();
    const double elapsed = now - lastTick_;
    lastTick_ = now;
    const double speed = GridAutoScroll::velocity(pointer_, grid_.bounds());
    if (speed != 0) {
        grid_.advance(std::min(elapsed, 1.0 / 15) * speed);
    }
    updateSelection(pointer_);
}

void GridInteraction::updateSelection(QPointF point) {
    if (!start_) {
        return;
    }
    if (startItem_) {
        updateRange(point);
    } else {
        updateMarquee(point);
    }
}

void GridInteraction::updateMarquee(QPointF point) {
    const double offset = grid_.offset();
    const QRectF content =
        spanning({start_->x(), start_->y() + startOffset_}, {point.x(), point.y() + offset});
    grid_.marquee(content.translated(0, -offset));
    QSet<QUuid> items = shownBase();
    for (const QUuid& id : grid_.cardsMeeting(content)) {
        items.insert(id);
    }
    selectIfChanged(items);
}

void GridInteraction::updateRange(QPointF point) {
    const QRectF bounds = grid_.bounds();
    const QPointF clamped(std::clamp(point.x(), bounds.left(), bounds.right()),
                          std::clamp(point.y(), bounds.top(), bounds.bottom()));
    std::optional<QUuid> target;
    double nearest = std::numeric_limits<double>::infinity();
    for (const QUuid& id : grid_.cardsMeeting(bounds.translated(0, grid_.offset()))) {
        const QRectF frame = grid_.frame(id);
        if (frame.contains(clamped)) {
            target = id;
            break;
        }
        if (const double distance = distanceTo(frame, clamped); distance < nearest) {
            nearest = distance;
            target = id;
        }
    }
    if (!target) {
        return;
    }
    QSet<QUuid> result = shownBase();
    const std::optional<qsizetype> from = grid_.position(*startItem_);
    const std::optional<qsizetype> to = grid_.position(*target);
    if (from && to) {
        for (const QUuid& id : grid_.slice(std::min(*from, *to), std::max(*from, *to))) {
            result.insert(id);
        }
    }
    selectIfChanged(result);
}

QSet<QUuid> GridInteraction::shownBase() const {
    QSet<QUuid> shown;
    for (const QUuid& id : base_) {
        if (grid_.position(id)) {
            shown.insert(id);
        }
    }
    return shown;
}

void GridInteraction::selectIfChanged(const QSet<QUuid>& ids) {
    if (ids != grid_.selection()) {
        grid_.select(ids);
    }
}

}  // namespace lumivex
