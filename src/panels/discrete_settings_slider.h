#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace lumivex {

// A horizontal slider drawn by us that moves between a fixed number of stops, with optional
// labels under its ticks. It reads its position through a binding that may hold a fractional or
// out-of-range value (drawn clamped) and writes only whole stops: a click or drag jumps to the
// nearest stop and takes the focus, the arrow keys step from the rounded position. Main thread.
class DiscreteSettingsSlider final : public QWidget {
public:
    struct Binding {
        std::function<double()> read;
        std::function<void(double)> write;
    };

    DiscreteSettingsSlider(Binding index, int steps, QStringList labels, const QString& title,
                           std::function<QString()> selectedValue, const QColor& accent,
                           QWidget* parent = nullptr);

    // The stop nearest to `x` on a slider `width` pixels wide.
    static int stopAt(double x, double width, int steps);
    // The stop an arrow key or an adjustment leads to from `index`: round(index + delta), clamped.
    static int stepped(double index, int delta, int steps);

    // The binding changed elsewhere.
    void refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void dragTo(double x);
    double clampedIndex() const;

    Binding index_;
    int steps_;
    QStringList labels_;
    std::function<QString()> selectedValue_;
    QColor accent_;
};

}  // namespace lumivex
