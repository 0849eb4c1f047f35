#include "panels/discrete_settings_slider.h"

#include "media_views/view_style.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

constexpr double inset = 16;
constexpr double trackY = 14;

double trackWidth(double width) {
    return std::max(width - 2 * inset, 1.0);
}

// Halves away from zero, as std::round does.
int roundedStop(double value, int last) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(std::round(value), 0.0, static_cast<double>(last)));
}

}  // namespace

DiscreteSettingsSlider::DiscreteSettingsSlider(Binding index, int steps, QStringList labels,
                                               const QString& title,
                                               std::function<QString()> selectedValue,
                                               const QColor& accent, QWidget* parent)
    : QWidget(parent),
      index_(std::move(index)),
      steps_(std::max(steps, 2)),
      labels_(std::move(labels)),
      selectedValue_(std::move(selectedValue)),
      accent_(accent) {
    setFocusPolicy(Qt::StrongFocus);
    setFixedHeight(labels_.isEmpty() ? 28 : 52);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(title);
    refresh();
}

int DiscreteSettingsSlider::stopAt(double x, double width, int steps) {
    const int last = steps - 1;
    return roundedStop((x - inset) / trackWidth(width) * last, last);
}

int DiscreteSettingsSlider::stepped(double index, int delta, int steps) {
    return roundedStop(index + delta, steps - 1);
}

void DiscreteSettingsSlider::refresh() {
    setAccessibleDescription(selectedValue_());
    update();
}

QSize DiscreteSettingsSlider::sizeHint() const {
    return {240, labels_.isEmpty() ? 28 : 52};
}

double DiscreteSettingsSlider::clampedIndex() const {
    const double value = index_.read();
    const double last = steps_ - 1;
    return std::isfinite(value) ? std::clamp(value, 0.0, last) : 0.0;
}

void DiscreteSettingsSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double w = trackWidth(width());
    const int last = steps_ - 1;
    const double v = clampedIndex();
    const double thumb = inset + w * v / last;
    const QColor primary = palette().color(QPalette::WindowText);
    auto fill = [](QColor colour, double opacity) {
        colour.setAlphaF(static_cast<float>(opacity));
        return colour;
    };
    painter.setBrush(fill(primary, 0.15));
    painter.drawRoundedRect(QRectF(inset, trackY - 2, w, 4), 2, 2);
    painter.setBrush(fill(accent_, 0.6));
    painter.drawRoundedRect(QRectF(inset, trackY - 2, std::max(thumb - inset, 0.0), 4), 2, 2);
    const int chosen = roundedStop(v, last);
    painter.setFont(ViewStyle::systemFont(10));
    for (int k = 0; k <= last; ++k) {
        const double x = inset + w * k / last;
        painter.setPen(Qt::NoPen);
        painter.setBrush(k <= v ? accent_ : fill(palette().color(QPalette::PlaceholderText), 0.5));
        painter.drawRoundedRect(QRectF(x - 1, trackY - 4, 2, 8), 1, 1);
        if (k < labels_.size()) {
            painter.setPen(k == chosen ? primary : fill(primary, 0.55));
            painter.drawText(QRectF(x - 30, 32, 60, 16), Qt::AlignCenter, labels_[k]);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(hasFocus() ? accent_ : fill(primary, 0.8));
    painter.drawRoundedRect(QRectF(thumb - 4.5, trackY - 10, 9, 20), 4, 4);
}

void DiscreteSettingsSlider::dragTo(double x) {
    setFocus(Qt::MouseFocusReason);
    index_.write(stopAt(x, width(), steps_));
    refresh();
}

void DiscreteSettingsSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragTo(event->position().x());
    }
}

void DiscreteSettingsSlider::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        dragTo(event->position().x());
    }
}

// Both arrows count as handled even at the ends, where the same value is written again.
void DiscreteSettingsSlider::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        index_.write(stepped(index_.read(), event->key() == Qt::Key_Left ? -1 : 1, steps_));
        refresh();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DiscreteSettingsSlider::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void DiscreteSettingsSlider::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace lumivex
