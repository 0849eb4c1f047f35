#pragma once

#include <QLayout>
#include <QList>

namespace lumivex {

// Lays its items out in rows at their ideal sizes, left to right, starting a new row when the
// next one would pass the right edge; an item wider than the whole width stands alone on its row
// and is not shrunk. Main thread.
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(int spacing, QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;
    void invalidate() override;
    Qt::Orientations expandingDirections() const override { return {}; }

    // Where each item goes for `width`, and the total height.
    QList<QRect> positions(int width, int* height = nullptr) const;

private:
    int spacing_;
    QList<QLayoutItem*> items_;
    // Asked again and again while the window lays out; kept until an item changes.
    mutable int cachedWidth_ = -1;
    mutable int cachedHeight_ = 0;
};

}  // namespace lumivex
