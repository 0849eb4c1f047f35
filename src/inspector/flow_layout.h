#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

namespace lumivex {

// Places items in rows at their ideal sizes, left to right, starting a new row when the next one
// would pass the right edge; an item wider than the whole width stands alone on its row and is
// not shrunk. Plain value logic, for views that paint their items themselves.
class FlowLayout {
public:
    explicit FlowLayout(int spacing) : spacing_(spacing) {}

    // Where each item of these sizes goes for `width`, and the total height.
    QList<QRect> positions(const QList<QSize>& sizes, int width, int* height = nullptr) const;
    // The size the items take for the proposed width, or for 260 when none is proposed.
    QSize sizeThatFits(const QList<QSize>& sizes, std::optional<int> width) const;

private:
    int spacing_;
};

}  // namespace lumivex
