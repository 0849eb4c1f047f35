#include "inspector/property_option_picker.h"

#include "browser/browser_fonts.h"
#include "browser/browser_palette.h"
#include "inspector/active_property.h"
#include "inspector/inspector_style.h"
#include "inspector/option_chips.h"
#include "inspector/option_list.h"
#include "inspector/picker_dismissal.h"
#include "inspector/selection_holdings.h"
#include "store/lumivex_store.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivex {

PropertyOptionPicker::PropertyOptionPicker(LumivexStore& store, ActiveProperty& active,
                                           SelectionHoldings& holdings, const Category& category,
                                           QWidget* parent)
    : QWidget(parent), store_(store), active_(active), holdings_(holdings), category_(category) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildField();
    column->addWidget(field_);
    buildList();
    column->addWidget(openPart_);
    dismissal_ = new PickerDismissal(*this, [this] { close(); });
    connect(&active_, &ActiveProperty::changed, this, &PropertyOptionPicker::activeChanged);
    connect(list_, &OptionList::optionTapped, this, &PropertyOptionPicker::tap);
    connect(list_, &OptionList::createTapped, this, [this] { apply(model_.createText()); });
    connect(list_, &OptionList::menuRequested, this, &PropertyOptionPicker::showRowMenu);
    connect(list_, &OptionList::moveRequested, this,
            [this](const QString& option, const std::optional<QString>& before) {
                store_.moveOption(option, before, category_);
                // A drag is the one thing that reorders an open list.
                model_.setOptions(store_.editorOptions(category_));
                rebuildChips();
                listChanged();
            });
    refresh();
    showExpanded();
}

PropertyOptionPicker::~PropertyOptionPicker() = default;

void PropertyOptionPicker::buildField() {
    field_ = new QWidget(this);
    auto* column = new QVBoxLayout(field_);
    column->setContentsMargins(9, 9, 9, 9);
    column->setSpacing(7);
    chips_ = new OptionChips(field_);
    connect(chips_, &OptionChips::removeRequested, this,
            [this](const QString& value) { store_.removeLabel(value, category_); });
    column->addWidget(chips_);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    search_ = new QLineEdit(field_);
    search_->setFrame(false);
    search_->setFont(BrowserFonts::system(11));
    search_->setMinimumHeight(18);
    QPalette palette = search_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    search_->setPalette(palette);
    search_->installEventFilter(this);
    connect(search_, &QLineEdit::textEdited, this, &PropertyOptionPicker::searchEdited);
    connect(search_, &QLineEdit::returnPressed, this, &PropertyOptionPicker::submit);
    row->addWidget(search_, 1);
    chevron_ = InspectorStyle::symbolButton(QStringLiteral("chevron.down"), 9,
                                            BrowserPalette::secondaryText(), QString(), field_);
    connect(chevron_, &QToolButton::clicked, this, [this] {
        if (expanded()) {
            close();
        } else {
            open(true);
        }
    });
    row->addWidget(chevron_);
    column->addLayout(row);
}

void PropertyOptionPicker::buildList() {
    openPart_ = new QWidget(this);
    auto* column = new QVBoxLayout(openPart_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(InspectorStyle::divider(openPart_));
    QLabel* header =
        InspectorStyle::label(QStringLiteral("옵션 선택 또는 생성"), 11,
                              BrowserPalette::secondaryText(), openPart_, QFont::DemiBold);
    header->setContentsMargins(14, 12, 14, 8);
    column->addWidget(header);
    list_ = new OptionList(model_, openPart_);
    listArea_ = new QScrollArea(openPart_);
    listArea_->setFrameShape(QFrame::NoFrame);
    listArea_->setWidgetResizable(true);
    listArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listArea_->setFocusPolicy(Qt::NoFocus);
    listArea_->setWidget(list_);
    listArea_->viewport()->setAutoFillBackground(false);
    list_->setAutoFillBackground(false);
    column->addWidget(listArea_);
    clearPart_ = new QWidget(openPart_);
    auto* clearColumn = new QVBoxLayout(clearPart_);
    clearColumn->setContentsMargins(0, 0, 0, 0);
    clearColumn->setSpacing(0);
    clearColumn->addWidget(InspectorStyle::divider(clearPart_));
    clear_ = InspectorStyle::textButton(QStringLiteral("선택 비우기"), 11,
                                        BrowserPalette::secondaryText(), clearPart_);
    clear_->setContentsMargins(12, 12, 12, 12);
    clear_->setMinimumHeight(36);
    connect(clear_, &QToolButton::clicked, this, &PropertyOptionPicker::clear);
    clearColumn->addWidget(clear_, 0, Qt::AlignLeft);
    column->addWidget(clearPart_);
}

void PropertyOptionPicker::setCategory(const Category& current) {
    category_ = current;
}

void PropertyOptionPicker::refresh() {
    model_.setOptions(store_.editorOptions(category_), expanded());
    model_.setHoldings(holdings_.of(category_.idText()));
    rebuildChips();
    listChanged();
}

bool PropertyOptionPicker::expanded() const {
    return active_.value() == category_.id;
}

void PropertyOptionPicker::open(bool focus) {
    active_.set(category_.id);
    if (focus) {
        focusField();
    }
}

void PropertyOptionPicker::close() {
    active_.set(std::nullopt);
    search_->clearFocus();
    search_->clear();
    model_.reset();
    listChanged();
}

void PropertyOptionPicker::activeChanged() {
    if (!expanded()) {
        search_->clearFocus();
        search_->clear();
        model_.reset();
        if (openPart_->isVisibleTo(this)) {
            // Closed, the list takes the order the store keeps.
            model_.setOptions(store_.editorOptions(category_));
            rebuildChips();
        }
        listChanged();
    }
    showExpanded();
}

void PropertyOptionPicker::showExpanded() {
    const bool open = expanded();
    openPart_->setVisible(open);
    dismissal_->setWatching(open);
    InspectorStyle::setSymbol(chevron_,
                              open ? QStringLiteral("chevron.up") : QStringLiteral("chevron.down"),
                              9, BrowserPalette::secondaryText());
    chevron_->setToolTip(open ? QStringLiteral("옵션 목록 닫기")
                              : QStringLiteral("옵션 목록 열기"));
    updatePrompt();
    update();
}

void PropertyOptionPicker::searchEdited(const QString& text) {
    model_.setSearch(text);
    listChanged();
}

void PropertyOptionPicker::listChanged() {
    list_->modelChanged();
    listArea_->setFixedHeight(PropertyOptionPickerModel::listHeight(model_.rowCount()));
    clearPart_->setVisible(model_.holdingsOf().anyValue);
}

void PropertyOptionPicker::rebuildChips() {
    const int total = model_.holdingsOf().total;
    QList<OptionChips::Chip> chips;
    for (const auto& [option, count] : model_.selectedLabels()) {
        chips.append({option, count, total});
    }
    chips_->setVisible(!chips.isEmpty());
    chips_->setChips(std::move(chips));
    updatePrompt();
}

void PropertyOptionPicker::updatePrompt() {
    search_->setPlaceholderText(chips_->chips().isEmpty() && !expanded()
                                    ? QStringLiteral("비어 있음")
                                    : QStringLiteral("옵션 검색 또는 입력"));
}

void PropertyOptionPicker::focusField() {
    search_->setFocus(Qt::OtherFocusReason);
}

void PropertyOptionPicker::moveHighlight(int offset) {
    model_.moveHighlight(offset);
    list_->update();
    scrollToHighlight();
}

void PropertyOptionPicker::scrollToHighlight() {
    if (!model_.highlighted()) {
        return;
    }
    const qsizetype row = model_.rowIDs().indexOf(*model_.highlighted());
    if (row >= 0) {
        const QRect rect = list_->rowRect(row);
        listArea_->verticalScrollBar()->setValue(rect.center().y() -
                                                 listArea_->viewport()->height() / 2);
    }
}

void PropertyOptionPicker::submit() {
    const PropertyOptionPickerModel::Action action = model_.submit();
    if (action.kind == PropertyOptionPickerModel::Action::Kind::apply) {
        apply(action.value);
    }
}

// The picker lets the typed text go before the store applies the value: an edit of many items
// keeps the window from answering for a while, and meanwhile it must not still offer what was
// just chosen.
void PropertyOptionPicker::apply(const QString& value) {
    const QString chosen = value;  // may be a row's text, which the reset below lets go
    search_->clear();
    model_.reset();
    listChanged();
    if (category_.kind == PropertyKind::singleSelect) {
        close();
    }
    store_.addLabel(chosen, category_);
    if (category_.kind != PropertyKind::singleSelect) {
        focusField();
    }
}

void PropertyOptionPicker::tap(const QString& option) {
    const PropertyOptionPickerModel::Action action = model_.tap(option, category_.kind);
    if (action.kind == PropertyOptionPickerModel::Action::Kind::remove) {
        store_.removeLabel(option, category_);
        focusField();
    } else {
        apply(option);
    }
}

void PropertyOptionPicker::clear() {
    store_.clearLabels(category_);
    if (category_.kind == PropertyKind::singleSelect) {
        close();
    }
}

bool PropertyOptionPicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched != search_) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        // A click or Tab opens the picker; the window coming back to the field does not reopen
        // a list that was closed.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            active_.set(category_.id);
        }
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            active_.set(category_.id);
            moveHighlight(key == Qt::Key_Down ? 1 : -1);
            return true;
        }
        if (key == Qt::Key_Escape) {
            close();
            return true;
        }
        if (key == Qt::Key_Menu ||
            (key == Qt::Key_F10 &&
             static_cast<QKeyEvent*>(event)->modifiers() == Qt::ShiftModifier)) {
            showHighlightedRowMenu();
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // X11 turns the menu key into a context menu for the field before the key itself
        // arrives: with a row highlighted it is that row's menu, not the field's edit menu.
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard &&
            showHighlightedRowMenu()) {
            return true;
        }
    } else if (event->type() == QEvent::ShortcutOverride) {
        // Escape belongs to the field while it edits, not to a window shortcut.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PropertyOptionPicker::mousePressEvent(QMouseEvent* event) {
    if (field_->geometry().contains(event->position().toPoint())) {
        open(true);
        return;
    }
    QWidget::mousePressEvent(event);
}

void PropertyOptionPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    InspectorStyle::paintRounded(
        painter, rect(), 6, BrowserPalette::white(0.04),
        expanded() ? BrowserPalette::mint(0.35) : BrowserPalette::white(0.07));
}

}  // namespace lumivex
