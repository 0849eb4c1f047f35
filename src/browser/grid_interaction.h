#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <optional>

namespace lumivex {

// Turns the mouse on the media grid into selection work: a click selects as the store defines,
// a drag from empty space draws a marquee that selects every card it touches, a drag from a
// thumbnail selects the range of cards in display order up to the one under the pointer, and
// the grid scrolls by itself while a drag holds the pointer near its top or bottom edge.
// It knows nothing of the store: the grid answers its questions and carries out its actions.
// Every result is limited to the items the grid shows now, so an item hidden during a drag is
// never selected by it. Main thread; the auto-scroll timer ticks every 1/30 s.
class GridInteraction final : public QObject {
    Q_OBJECT

public:
    // What the grid gives the interaction. Points and rectangles are the viewport's, y down,
    // unless they are said to be the content's (the viewport's moved down by the offset).
    class Grid {
    public:
        virtual ~Grid() = default;
        virtual QRectF bounds() const = 0;
        virtual double offset() const = 0;
        // Scrolls by `delta` pixels, positive downwards, within the content.
        virtual void advance(double delta) = 0;
        virtual std::optional<QUuid> cardAt(QPointF point) const = 0;
        virtual QRectF frame(const QUuid& id) const = 0;
        // The shown cards meeting a rectangle of the content, in display order.
        virtual QList<QUuid> cardsMeeting(const QRectF& content) const = 0;
        // The place of a shown item in display order.
        virtual std::optional<qsizetype> position(const QUuid& id) const = 0;
        // The shown items from `first` through `last` in display order.
        virtual QList<QUuid> slice(qsizetype first, qsizetype last) const = 0;
        virtual QSet<QUuid> selection() const = 0;
        virtual void select(const QSet<QUuid>& ids) = 0;
        virtual void click(const QUuid& id, Qt::KeyboardModifiers modifiers) = 0;
        // The rubber band to draw, or none.
        virtual void marquee(const std::optional<QRectF>& rect) = 0;
    };

    static constexpr double dragThreshold = 5.0;
    static constexpr int tickInterval = 33;  // milliseconds, about 1/30 s

    explicit GridInteraction(Grid& grid, QObject* parent = nullptr);

    // Seams for tests: seconds of a steady clock, and the mouse buttons held now.
    void setClock(std::function<double()> now) { now_ = std::move(now); }
    void setButtons(std::function<Qt::MouseButtons()> buttons) { buttons_ = std::move(buttons); }

    // A left press; the event always goes on to the card under it.
    void press(QPointF point, Qt::KeyboardModifiers modifiers, int clickCount);
    // True when the movement belongs to a drag (the event is consumed).
    bool move(QPointF point);
    // True when the release ended a drag (the event is consumed).
    bool release();
    // Ends a drag and removes the rubber band.
    void finishDrag();
    // One auto-scroll step; the timer calls it while a drag runs.
    void tick();

    bool armed() const { return start_.has_value(); }
    bool dragging() const { return dragging_; }

private:
    void beginScrolling();
    void updateSelection(QPointF point);
    void updateMarquee(QPointF point);
    void updateRange(QPointF point);
    QSet<QUuid> shownBase() const;
    void selectIfChanged(const QSet<QUuid>& ids);

    Grid& grid_;
    std::function<double()> now_;
    std::function<Qt::MouseButtons()> buttons_;
    QTimer scrollTimer_;
    double lastTick_ = 0;
    std::optional<QPointF> start_;
    double startOffset_ = 0;
    QPointF pointer_;
    QSet<QUuid> base_;
    bool dragging_ = false;
    bool startedOnBlank_ = false;
    std::optional<QUuid> startItem_;
};

}  // namespace lumivex
