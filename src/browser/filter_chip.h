#pragma once

#include <QPushButton>

namespace lumivex {

// One removable filter of the filter bar: its title and a bold "×" 6 points after it, in the
// accent colour on a capsule of the accent at one tenth. Clicking it anywhere removes the filter.
// Main thread.
class FilterChip final : public QPushButton {
    Q_OBJECT

public:
    static constexpr int markSpacing = 6;
    static constexpr int markSize = 7;

    explicit FilterChip(const QString& title, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumivex
