#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace lumivex {

// The small turning indicator a thumbnail shows while it waits; it turns only while visible.
// Main thread.
class ThumbnailSpinner final : public QWidget {
public:
    explicit ThumbnailSpinner(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QBasicTimer timer_;
    int step_ = 0;
};

}  // namespace lumivex
