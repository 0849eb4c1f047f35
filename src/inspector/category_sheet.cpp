#include "inspector/category_sheet.h"

#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"
#include "platform/text_order.h"
#include "store/lumivex_store.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

QString explanation(PropertyKind kind) {
    switch (kind) {
        case PropertyKind::singleSelect:
            return QStringLiteral("파일마다 옵션 하나를 선택합니다.");
        case PropertyKind::multiSelect:
            return QStringLiteral("파일마다 여러 옵션을 함께 선택합니다.");
        case PropertyKind::rating:
            return QStringLiteral("파일마다 0~5점으로 평가합니다.");
    }
    return {};
}

}  // namespace

CategorySheet::CategorySheet(LumivexStore& store, const std::optional<Category>& category,
                             QWidget* parent)
    : QDialog(parent), store_(store), category_(category) {
    setFixedWidth(370);
    setWindowTitle(category_ ? QStringLiteral("속성 이름 변경") : QStringLiteral("새 속성"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(18);
    column->addWidget(InspectorStyle::label(windowTitle(), 20, BrowserPalette::primaryText(), this,
                                            QFont::DemiBold));
    column->addWidget(
        InspectorStyle::label(QStringLiteral("이 폴더에 사용할 나만의 속성을 만드세요."), 12,
                              BrowserPalette::secondaryText(), this));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(InspectorStyle::label(QStringLiteral("속성 이름"), 12,
                                             BrowserPalette::primaryText(), this));
    name_ = new QLineEdit(category_ ? category_->name : QString(), this);
    nameRow->addWidget(name_, 1);
    column->addLayout(nameRow);
    if (!category_) {
        auto* kindRow = new QHBoxLayout;
        kindRow->addWidget(InspectorStyle::label(QStringLiteral("속성 유형"), 12,
                                                 BrowserPalette::primaryText(), this));
        kind_ = new QComboBox(this);
        kind_->addItem(QStringLiteral("단일 선택"));
        kind_->addItem(QStringLiteral("다중 선택"));
        kindRow->addWidget(kind_, 1);
        column->addLayout(kindRow);
        explanation_ = InspectorStyle::label(QString(), 11, BrowserPalette::secondaryText(), this);
        column->addWidget(explanation_);
        connect(kind_, &QComboBox::currentIndexChanged, this, &CategorySheet::kindChanged);
        kindChanged();
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancel_ = new QPushButton(QStringLiteral("취소"), this);
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel_);
    confirm_ = new QPushButton(category_ ? QStringLiteral("저장") : QStringLiteral("만들기"), this);
    // Return is ours: the field saves even while this button is disabled.
    confirm_->setAutoDefault(false);
    connect(confirm_, &QPushButton::clicked, this, &CategorySheet::save);
    buttons->addWidget(confirm_);
    column->addLayout(buttons);
    connect(name_, &QLineEdit::textChanged, this, &CategorySheet::nameChanged);
    connect(name_, &QLineEdit::returnPressed, this, &CategorySheet::save);
    nameChanged();
}

PropertyKind CategorySheet::kind() const {
    return kind_ != nullptr && kind_->currentIndex() == 1 ? PropertyKind::multiSelect
                                                          : PropertyKind::singleSelect;
}

void CategorySheet::nameChanged() {
    confirm_->setEnabled(!TextOrder::trimmed(name_->text()).isEmpty());
}

void CategorySheet::kindChanged() {
    explanation_->setText(explanation(kind()));
}

void CategorySheet::save() {
    if (!category_) {
        if (store_.addCategory(name_->text(), kind())) {
            accept();
        }
        return;
    }
    using Outcome = LumivexStore::RenameOutcome;
    const Outcome outcome = store_.renameCategory(*category_, name_->text());
    if (outcome == Outcome::renamed || outcome == Outcome::unchanged) {
        accept();
    }
}

void CategorySheet::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        // Return on a button the keyboard stands on presses that button.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
            return;
        }
        // The field's own Return has run the save step already and passes the key on.
        if (focusWidget() != name_ && confirm_->isEnabled()) {
            save();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace lumivex
