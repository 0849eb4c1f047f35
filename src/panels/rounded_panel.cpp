#include "panels/rounded_panel.h"

#include <QPainter>
#include <QPainterPath>

namespace lumivex {

RoundedPanel::RoundedPanel(const QColor& fill, const QColor& border, double radius, QWidget* parent)
    : QWidget(parent), fill_(fill), border_(border), radius_(radius) {}

void RoundedPanel::setFill(const QColor& fill) {
    fill_ = fill;
    update();
}

void RoundedPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(border_.alpha() > 0 ? QPen(border_, 1) : QPen(Qt::NoPen));
    painter.setBrush(fill_);
    painter.drawRoundedRect(box, radius_, radius_);
}

}  // namespace lumivex
