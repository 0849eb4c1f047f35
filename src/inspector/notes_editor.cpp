#include "inspector/notes_editor.h"

#include "browser/browser_fonts.h"
#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"
#include "store/lumivex_store.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace lumivex {

namespace {

// The field grows with its text from three lines to six, then scrolls.
constexpr int minimumLines = 3;
constexpr int maximumLines = 6;
constexpr int fieldPadding = 10;

// The field on its rounded translucent fill.
class NotesField : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(viewport());
            InspectorStyle::paintRounded(painter, viewport()->rect(), 6,
                                         BrowserPalette::white(0.04));
        }
        QPlainTextEdit::paintEvent(event);
    }
};

}  // namespace

NotesEditor::NotesEditor(LumivexStore& store, const MediaItem& item, QWidget* parent)
    : QWidget(parent), store_(store), item_(item) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    auto* header = new QHBoxLayout;
    header->addWidget(InspectorStyle::sectionTitle(QStringLiteral("메모"), this));
    header->addStretch(1);
    save_ = InspectorStyle::textButton(QStringLiteral("저장"), 10, BrowserPalette::mint(), this);
    connect(save_, &QToolButton::clicked, this, &NotesEditor::saveDraft);
    // Hidden, it keeps its room, so the field stays put when it comes and goes.
    QSizePolicy kept = save_->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    save_->setSizePolicy(kept);
    header->addWidget(save_);
    column->addLayout(header);
    field_ = new NotesField(this);
    field_->setFrameShape(QFrame::NoFrame);
    field_->setFont(BrowserFonts::system(11));
    field_->setPlaceholderText(QStringLiteral("이 파일에 남길 메모"));
    field_->document()->setDocumentMargin(fieldPadding);
    field_->setTabChangesFocus(true);
    QPalette palette = field_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field_->setPalette(palette);
    field_->installEventFilter(this);
    column->addWidget(field_);
    showDraft(item_.notes);
    connect(field_, &QPlainTextEdit::textChanged, this, &NotesEditor::typed);
}

QString NotesEditor::draft() const {
    return field_->toPlainText();
}

void NotesEditor::showDraft(const QString& text) {
    const QSignalBlocker blocker(field_);
    field_->setPlainText(text);
    changed_ = false;
    save_->setVisible(false);
    fitHeight();
}

void NotesEditor::typed() {
    changed_ = draft() != item_.notes;
    save_->setVisible(changed_);
    fitHeight();
}

void NotesEditor::setItem(const MediaItem& item) {
    item_ = item;
    if (!changed_) {
        // The user has not touched the draft: it follows the stored text, also after an undo.
        if (draft() != item_.notes) {
            showDraft(item_.notes);
        }
        return;
    }
    changed_ = draft() != item_.notes;
    save_->setVisible(changed_);
}

void NotesEditor::saveDraft() {
    store_.setNotes(draft(), item_.id);
}

std::optional<NotesEditor::Draft> NotesEditor::finish() {
    const bool pending = changed_ && !finished_;
    finished_ = true;
    if (!pending) {
        return std::nullopt;
    }
    return Draft{item_.id, draft()};
}

void NotesEditor::storeChangedDraft() {
    if (finished_ || !changed_) {
        return;
    }
    saveDraft();
    // Once stored, the section's end has nothing left to store, in this library or the next.
    const MediaItems& items = store_.library().items;
    const auto stored = std::find_if(items.cbegin(), items.cend(),
                                     [this](const MediaItem& item) { return item.id == item_.id; });
    if (stored != items.cend()) {
        setItem(*stored);
    }
}

bool NotesEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers().testFlag(Qt::ControlModifier)) {
            saveDraft();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NotesEditor::fitHeight() {
    const QFontMetrics metrics(field_->font());
    int lines = 0;
    for (QTextBlock block = field_->document()->begin(); block.isValid(); block = block.next()) {
        lines += std::max(1, block.layout() != nullptr ? block.layout()->lineCount() : 1);
    }
    lines = std::clamp(lines, minimumLines, maximumLines);
    field_->setFixedHeight(lines * metrics.lineSpacing() + 2 * fieldPadding + 4);
}

}  // namespace lumivex
