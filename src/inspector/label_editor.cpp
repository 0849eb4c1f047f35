#include "inspector/label_editor.h"

#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"
#include "inspector/property_option_picker.h"
#include "store/lumivex_store.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace lumivex {

LabelEditor::LabelEditor(LumivexStore& store, ActiveProperty& active, SelectionHoldings& holdings,
                         const Category& category, QWidget* parent)
    : QWidget(parent), store_(store), category_(category) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(9);
    auto* row = new QHBoxLayout;
    title_ = InspectorStyle::sectionTitle(category.name, this);
    row->addWidget(title_);
    row->addStretch(1);
    subtitle_ = InspectorStyle::label(QString(), 9, BrowserPalette::tertiaryText(), this);
    row->addWidget(subtitle_);
    column->addLayout(row);
    note_ = InspectorStyle::label(QStringLiteral("단일은 바꾸고, 다중은 추가해요."), 10,
                                  BrowserPalette::secondaryText(), this);
    column->addWidget(note_);
    picker_ = new PropertyOptionPicker(store, active, holdings, category, this);
    column->addWidget(picker_);
    refresh();
}

void LabelEditor::setCategory(const Category& category) {
    category_ = category;
    title_->setText(category.name);
    picker_->setCategory(category);
}

void LabelEditor::refresh() {
    const bool mixed = store_.propertySelectionKinds(category_).size() >= 2;
    if (mixed) {
        subtitle_->setText(QStringLiteral("폴더별 설정"));
    } else {
        subtitle_->setText(category_.kind == PropertyKind::multiSelect
                               ? QStringLiteral("다중 선택")
                               : QStringLiteral("단일 선택"));
    }
    note_->setVisible(mixed);
    picker_->refresh();
}

}  // namespace lumivex
