#pragma once

#include "model/library.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lumivex {

class LumivexStore;

// The small sheet that creates a property of the current folder scope (a name and single or
// multiple choice) or gives one a new name. It only collects the text and the kind; the store
// trims, checks, saves and publishes refusals. A rename closes unless the store refused it or its
// save failed, judged from that rename's own outcome. Return in the field saves even while the
// confirm button is disabled. Main thread.
class CategorySheet : public QDialog {
    Q_OBJECT

public:
    // No category: create mode.
    CategorySheet(LumivexStore& store, const std::optional<Category>& category,
                  QWidget* parent = nullptr);

    // Runs the save step; the sheet closes when it went through.
    void save();

    QLineEdit* nameField() const { return name_; }
    QComboBox* kindPicker() const { return kind_; }
    QLabel* kindExplanation() const { return explanation_; }
    QPushButton* confirmButton() const { return confirm_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void nameChanged();
    void kindChanged();
    PropertyKind kind() const;

    LumivexStore& store_;
    std::optional<Category> category_;
    QLineEdit* name_;
    QComboBox* kind_ = nullptr;
    QLabel* explanation_ = nullptr;
    QPushButton* confirm_;
    QPushButton* cancel_;
};

}  // namespace lumivex
