#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <optional>

namespace lumivex {

class OptionPickerModel;

// The option picker's list, painted from its model row by row (only the rows on screen), so a
// keystroke over thousands of options repaints at once. A row reports a tap, its menu, or a drag
// that reorders: dragging a row over another asks to move it before that one. Only the list's
// own drags are accepted, and however a drag ends nothing stays dragged. Main thread.
class OptionList : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowPitch = 38;
    static inline const QString dragType = QStringLiteral("application/x-lumivex-option");

    OptionList(OptionPickerModel& model, QWidget* parent = nullptr);

    // The model's rows or counts changed.
    void modelChanged();
    // The row's rectangle; `row` indexes the model's rows.
    QRect rowRect(qsizetype row) const;
    // The row under `pos`, or -1.
    qsizetype rowAt(QPoint pos) const;
    // The menu button's rectangle inside a row's rectangle.
    static QRect menuRect(const QRect& row);
    static QRect handleRect(const QRect& row);
    const std::optional<QString>& hovered() const { return hovered_; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void optionTapped(const QString& option);
    void createTapped();
    void menuRequested(const QString& option, QPoint globalPos);
    void moveRequested(const QString& option, const QString& before);

protected:
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
    std::optional<QString> optionAt(QPoint pos) const;
    void startDrag(const QString& option);

    OptionPickerModel& model_;
    std::optional<QString> hovered_;
    std::optional<QPoint> pressedAt_;
    std::optional<QString> pressedOption_;
    // The row the drag is over, so that a move happens on entering a row, not on every motion.
    std::optional<QString> dropTarget_;
};

}  // namespace lumivex
