#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <optional>

namespace lumivex {

class PropertyOptionPickerModel;

// The option picker's list, painted from its model row by row (only the rows on screen), so a
// keystroke over thousands of options repaints at once. A row reports a tap, its menu, or a drag
// that reorders. Only the list's own drags are accepted; a line shows the gap between rows, the
// end of the list included, that a drop would move the dragged option to, and only the drop moves
// it. However a drag ends nothing stays dragged. Main thread.
class OptionList : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowPitch = 38;
    static inline const QString dragType = QStringLiteral("application/x-lumivex-option");

    OptionList(PropertyOptionPickerModel& model, QWidget* parent = nullptr);

    // The model's rows or counts changed.
    void modelChanged();
    // The row's rectangle; `row` indexes the model's rows.
    QRect rowRect(qsizetype row) const;
    // The row under `pos`, or -1.
    qsizetype rowAt(QPoint pos) const;
    // The gap between option rows nearest to `pos`: 0 above the first, the number of options
    // below the last.
    qsizetype gapAt(QPoint pos) const;
    // The menu button's rectangle inside a row's rectangle.
    static QRect menuRect(const QRect& row);
    static QRect handleRect(const QRect& row);
    const std::optional<QString>& hovered() const { return hovered_; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void optionTapped(const QString& option);
    void createTapped();
    void menuRequested(const QString& option, QPoint globalPos);
    // `before` none: to the end.
    void moveRequested(const QString& option, const std::optional<QString>& before);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void paintOption(QPainter& painter, const QRect& rect, const QString& option) const;
    void paintCreate(QPainter& painter, const QRect& rect) const;
    void paintDropLine(QPainter& painter) const;
    void setDropGap(std::optional<qsizetype> gap);
    std::optional<QString> optionAt(QPoint pos) const;
    void startDrag(const QString& option);

    PropertyOptionPickerModel& model_;
    std::optional<QString> hovered_;
    std::optional<QPoint> pressedAt_;
    std::optional<QString> pressedOption_;
    // The gap a drop would move the dragged option to, while one of the list's drags is over it.
    std::optional<qsizetype> dropGap_;
};

}  // namespace lumivex
