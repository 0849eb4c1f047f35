#include "panels/preview_keyboard_monitor.h"

#include "panels/preview_keyboard_action.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

namespace lumivex {

namespace {

bool editsText(const QWidget* widget) {
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) {
        return !line->isReadOnly();
    }
    if (const auto* text = qobject_cast<const QTextEdit*>(widget)) {
        return !text->isReadOnly();
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) {
        return !plain->isReadOnly();
    }
    return qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

}  // namespace

PreviewKeyboardMonitor::PreviewKeyboardMonitor(QWidget* anchor, MoveAction onMove,
                                               RateAction onRate)
    : QObject(anchor), anchor_(anchor), onMove_(std::move(onMove)), onRate_(std::move(onRate)) {}

PreviewKeyboardMonitor::~PreviewKeyboardMonitor() {
    stop();
}

void PreviewKeyboardMonitor::setActions(MoveAction onMove, RateAction onRate) {
    onMove_ = std::move(onMove);
    onRate_ = std::move(onRate);
}

void PreviewKeyboardMonitor::start() {
    stop();
    if (!anchor_ || anchor_->window() == nullptr) {
        return;
    }
    qApp->installEventFilter(this);
    monitoring_ = true;
    needsInitialFocus_ = true;
    claimKeyboardFocus();
}

void PreviewKeyboardMonitor::stop() {
    if (monitoring_) {
        qApp->removeEventFilter(this);
        monitoring_ = false;
    }
    needsInitialFocus_ = false;
    claim_.reset();
}

// Deferred by one turn of the event loop, which checks again that the claim still makes sense.
void PreviewKeyboardMonitor::claimKeyboardFocus() {
    QPointer<QWidget> window = anchor_ ? anchor_->window() : nullptr;
    QTimer::singleShot(0, this, [this, window] {
        if (!anchor_ || !window || !needsInitialFocus_ || anchor_->window() != window ||
            !anchor_->isVisible() || QApplication::activeModalWidget() != nullptr) {
            return;
        }
        if (QWidget* editing = window->focusWidget(); editing != nullptr && editing != anchor_) {
            editing->clearFocus();
        }
        anchor_->setFocus(Qt::OtherFocusReason);
        if (window->focusWidget() == anchor_) {
            needsInitialFocus_ = false;
        }
    });
}

bool PreviewKeyboardMonitor::accepts(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!anchor_ || widget == nullptr || !anchor_->isVisible()) {
        return false;
    }
    QWidget* window = anchor_->window();
    return widget->window() == window && QApplication::activeWindow() == window &&
           QApplication::activeModalWidget() == nullptr;
}

bool PreviewKeyboardMonitor::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowActivate && anchor_ && watched == anchor_->window() &&
        needsInitialFocus_) {
        claimKeyboardFocus();
        return false;
    }
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !accepts(watched)) {
        return false;
    }
    return claim_.filter(*event, [this](const QKeyEvent& key) { return handle(key); });
}

bool PreviewKeyboardMonitor::handle(const QKeyEvent& key) {
    const bool editing = editsText(QApplication::focusWidget());
    const bool menuOpen = QApplication::activePopupWidget() != nullptr;
    if (const std::optional<int> rating =
            PreviewKeyboardAction::rating(key.text(), key.modifiers(), editing, menuOpen)) {
        return onRate_(*rating);
    }
    if (editing || menuOpen) {
        return false;
    }
    const std::optional<GridNavigationDirection> direction =
        PreviewKeyboardAction::move(key.key(), key.modifiers());
    if (!direction) {
        return false;
    }
    onMove_(*direction);
    if (anchor_) {
        anchor_->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

}  // namespace lumivex
