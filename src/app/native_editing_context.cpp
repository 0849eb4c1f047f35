#include "app/native_editing_context.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

namespace lumivex {

namespace {

// The editor behind a focused widget that takes typed text.
QWidget* textEditorOf(QWidget* focus) {
    if (qobject_cast<QLineEdit*>(focus) != nullptr || qobject_cast<QTextEdit*>(focus) != nullptr ||
        qobject_cast<QPlainTextEdit*>(focus) != nullptr) {
        return focus;
    }
    if (qobject_cast<QAbstractSpinBox*>(focus) != nullptr) {
        return focus->findChild<QLineEdit*>();
    }
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo != nullptr && combo->isEditable()) {
        return combo->lineEdit();
    }
    return nullptr;
}

// The filter menus float in tool windows of the main window.
bool panelShown(const QWidget* window) {
    const QList<QWidget*> children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return std::any_of(children.begin(), children.end(), [](const QWidget* child) {
        return child->isWindow() && child->isVisible() && child->windowType() == Qt::Tool;
    });
}

bool selectable(Qt::TextInteractionFlags flags) {
    return (flags & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard)) != 0;
}

}  // namespace

NativeEditingContext NativeEditingContext::current() {
    QWidget* window = QApplication::activeWindow();
    if (window == nullptr) {
        return {};
    }
    NativeEditingContext context;
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus->window() == window) {
        context.textEditor = textEditorOf(focus);
        context.editingText = context.textEditor != nullptr;
    }
    context.permitsMetadata = !panelShown(window) && QApplication::activeModalWidget() == nullptr;
    return context;
}

bool NativeEditingContext::canUndo() const {
    if (auto* line = qobject_cast<QLineEdit*>(textEditor)) {
        return !line->isReadOnly() && line->isUndoAvailable();
    }
    if (auto* text = qobject_cast<QTextEdit*>(textEditor)) {
        return !text->isReadOnly() && text->document()->isUndoAvailable();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(textEditor)) {
        return !plain->isReadOnly() && plain->document()->isUndoAvailable();
    }
    return false;
}

bool NativeEditingContext::canRedo() const {
    if (auto* line = qobject_cast<QLineEdit*>(textEditor)) {
        return !line->isReadOnly() && line->isRedoAvailable();
    }
    if (auto* text = qobject_cast<QTextEdit*>(textEditor)) {
        return !text->isReadOnly() && text->document()->isRedoAvailable();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(textEditor)) {
        return !plain->isReadOnly() && plain->document()->isRedoAvailable();
    }
    return false;
}

bool NativeEditingContext::canSelectAll() const {
    if (auto* line = qobject_cast<QLineEdit*>(textEditor)) {
        return line->isEnabled();
    }
    if (auto* text = qobject_cast<QTextEdit*>(textEditor)) {
        return selectable(text->textInteractionFlags());
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(textEditor)) {
        return selectable(plain->textInteractionFlags());
    }
    return false;
}

void NativeEditingContext::undo() const {
    if (!canUndo()) {
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(textEditor)) {
        line->undo();
    } else if (auto* text = qobject_cast<QTextEdit*>(textEditor)) {
        text->undo();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(textEditor)) {
        plain->undo();
    }
}

void NativeEditingContext::redo() const {
    if (!canRedo()) {
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(textEditor)) {
        line->redo();
    } else if (auto* text = qobject_cast<QTextEdit*>(textEditor)) {
        text->redo();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(textEditor)) {
        plain->redo();
    }
}

void NativeEditingContext::selectAll() const {
    if (!canSelectAll()) {
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(textEditor)) {
        line->selectAll();
    } else if (auto* text = qobject_cast<QTextEdit*>(textEditor)) {
        text->selectAll();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(textEditor)) {
        plain->selectAll();
    }
}

}  // namespace lumivex
