#pragma once

#include <QColor>
#include <QWidget>

namespace lumivex {

// A plain container drawn as a rounded rectangle of one fill with a 1-pixel border inside it:
// the panels' backgrounds, sections, rows and boxes. Main thread.
class RoundedPanel : public QWidget {
public:
    RoundedPanel(const QColor& fill, const QColor& border, double radius,
                 QWidget* parent = nullptr);

    void setFill(const QColor& fill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    QColor border_;
    double radius_;
};

}  // namespace lumivex
