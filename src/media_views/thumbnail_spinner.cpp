#include "media_views/thumbnail_spinner.h"

#include <QPainter>
#include <QTimerEvent>

namespace lumivex {

namespace {

constexpr int spokes = 8;
constexpr int stepMilliseconds = 90;

}  // namespace

ThumbnailSpinner::ThumbnailSpinner(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ThumbnailSpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0;
    QColor colour = palette().color(QPalette::WindowText);
    for (int spoke = 0; spoke < spokes; ++spoke) {
        // The spoke at the current step is darkest; the ones behind it fade out.
        const int age = (step_ - spoke + spokes) % spokes;
        colour.setAlphaF(1.0 - age / static_cast<double>(spokes));
        painter.setPen(QPen(colour, radius / 4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius * 0.85));
        painter.rotate(360.0 / spokes);
    }
}

void ThumbnailSpinner::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    step_ = (step_ + 1) % spokes;
    update();
}

void ThumbnailSpinner::showEvent(QShowEvent*) {
    timer_.start(stepMilliseconds, this);
}

void ThumbnailSpinner::hideEvent(QHideEvent*) {
    timer_.stop();
}

}  // namespace lumivex
