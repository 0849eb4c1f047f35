#include "browser/focus_return.h"

#include <QWidget>

namespace lumivex {

FocusReturn::FocusReturn(QWidget& view, std::function<QWidget*()> fallback)
    : view_(view), fallback_(std::move(fallback)) {}

void FocusReturn::hold() {
    QWidget* focus = view_.window()->focusWidget();
    holding_ = focus != nullptr && view_.isAncestorOf(focus);
    held_ = holding_ ? focus : nullptr;
}

void FocusReturn::release() {
    if (!holding_) {
        return;
    }
    holding_ = false;
    QWidget* target = held_;
    if (target == nullptr || !target->isVisible() || !target->isEnabled()) {
        target = fallback_();
    }
    if (target != nullptr) {
        target->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace lumivex
