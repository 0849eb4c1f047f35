#include "inspector/picker_dismissal.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

#include <utility>

namespace lumivex {

PickerDismissal::PickerDismissal(QWidget& picker, std::function<void()> dismiss)
    : QObject(&picker), picker_(picker), dismiss_(std::move(dismiss)) {}

void PickerDismissal::setWatching(bool watching) {
    if (watching == watching_) {
        return;
    }
    watching_ = watching;
    tabbedOut_ = false;
    if (watching) {
        qApp->installEventFilter(this);
        // Told once the new focus has taken it in: another picker's field opens its own picker
        // first, and this one, closed by that, is no longer asked.
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (std::exchange(tabbedOut_, false) && now != nullptr && outside(*now)) {
                dismiss_();
            }
        });
    } else {
        qApp->removeEventFilter(this);
        disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    }
}

// The focus event comes before the application's notice of the change and alone says how the
// focus moved.
bool PickerDismissal::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched->isWidgetType()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        tabbedOut_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    }
    return false;
}

bool PickerDismissal::outside(const QWidget& widget) const {
    return widget.window() == picker_.window() && &widget != &picker_ &&
           !picker_.isAncestorOf(&widget);
}

}  // namespace lumivex
