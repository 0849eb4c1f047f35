#pragma once

#include "model/library.h"

#include <QWidget>

class QLabel;

namespace lumivex {

class ActiveProperty;
class LumivexStore;
class PropertyOptionPicker;
class SelectionHoldings;

// The section of one single- or multiple-choice property: its name, whether it is single or
// multiple choice for the selected items (or "폴더별 설정" with a note when their folders
// disagree), and its option picker, which does the editing. Main thread.
class LabelEditor : public QWidget {
    Q_OBJECT

public:
    LabelEditor(LumivexStore& store, ActiveProperty& active, SelectionHoldings& holdings,
                const Category& category, QWidget* parent = nullptr);

    // The property as the editor scope now has it, and the store's state read again.
    void setCategory(const Category& category);
    void refresh();

    PropertyOptionPicker* picker() const { return picker_; }
    QLabel* subtitle() const { return subtitle_; }
    QLabel* note() const { return note_; }

private:
    LumivexStore& store_;
    Category category_;
    QLabel* title_;
    QLabel* subtitle_;
    QLabel* note_;
    PropertyOptionPicker* picker_;
};

}  // namespace lumivex
