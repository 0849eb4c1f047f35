#include "inspector/picker_dismissal.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace lumivex {

PickerDismissal::PickerDismissal(QWidget& picker, std::function<void()> dismiss)
    : QObject(&picker), picker_(picker), dismiss_(std::move(dismiss)) {}

void PickerDismissal::setWatching(bool watching) {
    if (watching == watching_) {
        return;
    }
    watching_ = watching;
    if (watching) {
        qApp->installEventFilter(this);
        // Told once the new focus has taken it in: another picker's field opens its own picker
        // first, and this one, closed by that, is no longer asked.
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && outside(now)) {
                dismiss_();
            }
        });
    } else {
        qApp->removeEventFilter(this);
        disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    }
}

// A press the picker's own widgets leave unhandled travels on to its parents: it is judged by
// where it fell, not by who receives it.
bool PickerDismissal::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && outside(watched) &&
        !covers(static_cast<QMouseEvent*>(event)->globalPosition().toPoint())) {
        dismiss_();
    }
    return false;
}

bool PickerDismissal::outside(QObject* watched) const {
    if (!watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    return widget->window() == picker_.window() && widget != &picker_ &&
           !picker_.isAncestorOf(widget);
}

bool PickerDismissal::covers(QPoint global) const {
    return picker_.rect().contains(picker_.mapFromGlobal(global));
}

}  // namespace lumivex
