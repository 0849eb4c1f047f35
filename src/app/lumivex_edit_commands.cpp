#include "app/lumivex_edit_commands.h"

#include "app/native_editing_context.h"
#include "app/native_editing_state.h"

#include <QAction>
#include <QMenu>

namespace lumivex {

namespace {

// Titles made at run time are shown as they are: an "&" is not a mnemonic.
QString literal(QString title) {
    return title.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

LumivexEditCommands::LumivexEditCommands(FocusedMetadata metadata, QMenu& menu, QObject* parent)
    : QObject(parent), metadata_(std::move(metadata)), native_(new NativeEditingState(this)) {
    undo_ = menu.addAction(QString(), this, [this] { perform(false); });
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = menu.addAction(QString(), this, [this] { perform(true); });
    redo_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(native_, &NativeEditingState::changed, this, &LumivexEditCommands::sync);
    connect(&menu, &QMenu::aboutToShow, this, [this] {
        native_->refresh();
        sync();
    });
    sync();
}

LumivexEditCommands::~LumivexEditCommands() = default;

void LumivexEditCommands::perform(bool redo) {
    const NativeEditingContext context = NativeEditingContext::current();
    if (context.editingText) {
        redo ? context.redo() : context.undo();
    } else if (context.permitsMetadata) {
        if (const std::optional<MetadataEditingActions> actions = metadata_()) {
            if (redo && actions->canRedo) {
                actions->redo();
            } else if (!redo && actions->canUndo) {
                actions->undo();
            }
        }
    }
    native_->refresh();
    sync();
}

void LumivexEditCommands::sync() {
    const NativeEditingState::Snapshot& snapshot = native_->snapshot();
    if (snapshot.editingText) {
        undo_->setText(literal(snapshot.undoTitle));
        redo_->setText(literal(snapshot.redoTitle));
        undo_->setEnabled(snapshot.canUndo);
        redo_->setEnabled(snapshot.canRedo);
        return;
    }
    const std::optional<MetadataEditingActions> actions = metadata_();
    undo_->setText(literal(actions ? actions->undoTitle : QStringLiteral("실행 취소")));
    redo_->setText(literal(actions ? actions->redoTitle : QStringLiteral("다시 실행")));
    undo_->setEnabled(snapshot.permitsMetadata && actions && actions->canUndo);
    redo_->setEnabled(snapshot.permitsMetadata && actions && actions->canRedo);
}

}  // namespace lumivex
