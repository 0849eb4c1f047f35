#pragma once

#include "inspector/property_option_picker_model.h"
#include "model/library.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;

namespace lumivex {

class ActiveProperty;
class LumivexStore;
class OptionChips;
class OptionList;
class PickerDismissal;
class SelectionHoldings;

// The values of one single- or multiple-choice property for all selected items, edited like a
// combo box: chips of the values held, a field that searches or creates, and while open the list
// of options with how many selected items hold each, a create row and "선택 비우기". Its logic is
// the PropertyOptionPickerModel; this widget draws it and forwards input to the model and the
// store. It is open while the shared ActiveProperty names its property. Rows also rename, delete
// and reorder options. Main thread.
class PropertyOptionPicker : public QWidget {
    Q_OBJECT

public:
    PropertyOptionPicker(LumivexStore& store, ActiveProperty& active, SelectionHoldings& holdings,
                         const Category& category, QWidget* parent = nullptr);
    ~PropertyOptionPicker() override;

    // The property as the editor scope now has it; every store call uses it.
    void setCategory(const Category& current);
    // Reads the options and the selected items' values again.
    void refresh();

    bool expanded() const;
    void open(bool focusField);
    void close();
    void submit();
    void moveHighlight(int offset);
    void apply(const QString& value);
    void tap(const QString& option);
    void clear();

    // The row menu's two alerts.
    void beginRename(const QString& option);
    void beginDelete(const QString& option);
    QDialog* renameAlert() const { return renameAlert_; }
    QMessageBox* deleteAlert() const { return deleteAlert_; }

    const PropertyOptionPickerModel& model() const { return model_; }
    PropertyOptionPickerModel& model() { return model_; }
    QLineEdit* searchField() const { return search_; }
    QToolButton* chevron() const { return chevron_; }
    OptionList* list() const { return list_; }
    QScrollArea* listArea() const { return listArea_; }
    QToolButton* clearButton() const { return clear_; }
    OptionChips* chips() const { return chips_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildField();
    void buildList();
    void activeChanged();
    void searchEdited(const QString& text);
    void showExpanded();
    void listChanged();
    void rebuildChips();
    void updatePrompt();
    void focusField();
    void scrollToHighlight();
    void showRowMenu(const QString& option, QPoint globalPos);
    // False when no option row is highlighted.
    bool showHighlightedRowMenu();

    LumivexStore& store_;
    ActiveProperty& active_;
    SelectionHoldings& holdings_;
    Category category_;
    PropertyOptionPickerModel model_;
    QWidget* field_ = nullptr;
    OptionChips* chips_ = nullptr;
    QLineEdit* search_ = nullptr;
    QToolButton* chevron_ = nullptr;
    QWidget* openPart_ = nullptr;
    OptionList* list_ = nullptr;
    QScrollArea* listArea_ = nullptr;
    QWidget* clearPart_ = nullptr;
    QToolButton* clear_ = nullptr;
    PickerDismissal* dismissal_ = nullptr;
    QPointer<QDialog> renameAlert_;
    QPointer<QMessageBox> deleteAlert_;
};

}  // namespace lumivex
