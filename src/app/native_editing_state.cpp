#include "app/native_editing_state.h"

#include "app/native_editing_context.h"

#include <QApplication>
#include <QEvent>

namespace lumivex {

NativeEditingState::NativeEditingState(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
    refresh();
}

NativeEditingState::~NativeEditingState() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

void NativeEditingState::refresh() {
    if (refreshing_) {
        return;
    }
    refreshing_ = true;
    const NativeEditingContext context = NativeEditingContext::current();
    Snapshot next;
    next.editingText = context.editingText;
    next.permitsMetadata = context.permitsMetadata;
    next.canSelectAll = context.canSelectAll();
    if (context.editingText) {
        next.canUndo = context.canUndo();
        next.canRedo = context.canRedo();
    }
    if (next != snapshot_) {
        snapshot_ = next;
        Q_EMIT changed();
    }
    refreshing_ = false;
}

bool NativeEditingState::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::EnabledChange:
            refresh();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace lumivex
