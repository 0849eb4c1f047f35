#pragma once

#include "inspector/flow_layout.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <utility>

namespace lumivex {

// The values the selected items hold, as chips in wrapping rows: each value, "count/total" when
// not every item holds it, and a mark that removes it. One widget paints them all, since a
// property may hold thousands of values across a large selection, and a selection change must
// not make a widget per value. A press on a mark asks for the removal; any other press goes on
// to the field beneath, which opens the picker. Main thread.
class OptionChips : public QWidget {
    Q_OBJECT

public:
    struct Chip {
        QString value;
        int count = 0;
        int total = 0;
        bool operator==(const Chip&) const = default;
    };

    explicit OptionChips(QWidget* parent = nullptr);

    // Lays the chips out again only when they differ from those shown.
    void setChips(QList<Chip> chips);
    const QList<Chip>& chips() const { return chips_; }
    // The texts as shown, chip by chip: the value, then its count when one is shown.
    QStringList texts() const;
    // Where the remove mark of the chip at `index` stands, for the current width.
    QRect markRect(qsizetype index) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {0, 0}; }

Q_SIGNALS:
    void removeRequested(const QString& value);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    static QString countText(const Chip& chip);
    int textWidth(const QString& text);
    int countWidth(const Chip& chip);
    const QList<QRect>& placed() const;
    std::optional<qsizetype> markAt(QPoint point) const;
    void setHovered(std::optional<qsizetype> index);

    FlowLayout flow_{5};
    QFont font_;
    int textHeight_ = 0;
    QList<Chip> chips_;
    QList<QSize> sizes_;
    // Per chip: where its value's text, and its count's text when shown, end within it.
    QList<std::pair<int, int>> textWidths_;
    // Measuring shapes the text; a value, and a count of a total, is measured once while this
    // view lives.
    QHash<QString, int> measured_;
    QHash<qint64, int> measuredCounts_;
    mutable int placedWidth_ = -1;
    mutable QList<QRect> placed_;
    mutable int placedHeight_ = 0;
    std::optional<qsizetype> hovered_;
};

}  // namespace lumivex
