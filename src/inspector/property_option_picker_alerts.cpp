#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"
#include "inspector/option_list.h"
#include "inspector/property_option_picker.h"
#include "store/lumivex_store.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

// The row menu and its two alerts. The alerts are window-modal and answer through their
// buttons; the picker stays open with its search text while they are up.

void PropertyOptionPicker::showRowMenu(const QString& option, QPoint globalPos) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("이름 변경…"), this, [this, option] { beginRename(option); });
    menu->addAction(QStringLiteral("삭제…"), this, [this, option] { beginDelete(option); });
    menu->popup(globalPos);
}

// The menu key opens the menu of the row the arrows highlighted, as a right click on it does.
bool PropertyOptionPicker::showHighlightedRowMenu() {
    const std::optional<QString>& row = model_.highlighted();
    const qsizetype index = row ? model_.rowIDs().indexOf(*row) : -1;
    if (index < 0 || index >= model_.matches().size()) {
        return false;
    }
    showRowMenu(model_.matches().at(index), list_->mapToGlobal(list_->rowRect(index).center()));
    return true;
}

void PropertyOptionPicker::beginRename(const QString& option) {
    if (renameAlert_) {
        return;
    }
    auto* alert = new QDialog(this);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowTitle(QStringLiteral("옵션 이름 변경"));
    alert->setWindowModality(Qt::WindowModal);
    auto* column = new QVBoxLayout(alert);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(10);
    QLabel* title = InspectorStyle::label(QStringLiteral("옵션 이름 변경"), 13,
                                          BrowserPalette::primaryText(), alert, QFont::DemiBold);
    column->addWidget(title);
    QLabel* message = InspectorStyle::label(
        QStringLiteral("이 폴더의 모든 파일과 삭제 기록에 같은 이름으로 적용됩니다."), 11,
        BrowserPalette::secondaryText(), alert);
    message->setWordWrap(true);
    column->addWidget(message);
    auto* field = new QLineEdit(option, alert);
    field->setPlaceholderText(QStringLiteral("옵션 이름"));
    field->setObjectName(QStringLiteral("renamedOption"));
    column->addWidget(field);
    auto* buttons = new QDialogButtonBox(alert);
    buttons->addButton(QStringLiteral("취소"), QDialogButtonBox::RejectRole);
    QPushButton* save = buttons->addButton(QStringLiteral("저장"), QDialogButtonBox::AcceptRole);
    save->setDefault(true);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, alert, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, alert, &QDialog::accept);
    // The alert closes whatever the store decides; the store publishes a refusal itself.
    connect(alert, &QDialog::accepted, this,
            [this, option, field] { store_.renameOption(option, field->text(), category_); });
    alert->setFixedWidth(320);
    renameAlert_ = alert;
    alert->open();
}

void PropertyOptionPicker::beginDelete(const QString& option) {
    if (deleteAlert_) {
        return;
    }
    auto* alert = new QMessageBox(this);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setText(QStringLiteral("옵션을 삭제하시겠습니까?"));
    alert->setInformativeText(QStringLiteral("‘") + option +
                              QStringLiteral("’ 옵션과 이 폴더의 파일에 지정한 해당 값이 "
                                             "제거됩니다. 사진·영상 원본은 그대로 유지됩니다."));
    QPushButton* cancel = alert->addButton(QStringLiteral("취소"), QMessageBox::RejectRole);
    // Qt puts a destructive button before "취소" in every layout: this one takes the action's
    // place, last, and Return never chooses it.
    QPushButton* remove = alert->addButton(QStringLiteral("삭제"), QMessageBox::AcceptRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    connect(alert, &QMessageBox::buttonClicked, this, [this, option, remove](QAbstractButton* b) {
        if (b == remove) {
            store_.deleteOption(option, category_);
        }
    });
    deleteAlert_ = alert;
    alert->open();
}

}  // namespace lumivex
