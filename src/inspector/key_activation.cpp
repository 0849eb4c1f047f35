#include "inspector/key_activation.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace lumivex {

namespace {

bool activationKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers held = key.modifiers() & ~Qt::KeypadModifier;
    return held == Qt::NoModifier && (key.key() == Qt::Key_Space || key.key() == Qt::Key_Return ||
                                      key.key() == Qt::Key_Enter);
}

}  // namespace

KeyActivation::KeyActivation(QWidget& target, std::function<void()> activate)
    : QObject(&target), activate_(std::move(activate)) {
    target.installEventFilter(this);
}

void KeyActivation::reachByTab(QWidget& button) {
    button.setFocusPolicy(Qt::TabFocus);
    new KeyActivation(button, [&button] {
        if (auto* clickable = qobject_cast<QAbstractButton*>(&button)) {
            clickable->click();
        }
    });
}

bool KeyActivation::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
        !activationKey(*static_cast<QKeyEvent*>(event))) {
        return QObject::eventFilter(watched, event);
    }
    event->accept();
    if (type == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
        static_cast<QWidget*>(watched)->isEnabled()) {
        activate_();
    }
    return true;
}

}  // namespace lumivex
