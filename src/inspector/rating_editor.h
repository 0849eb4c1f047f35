#pragma once

#include "model/library.h"

#include <QWidget>

#include <array>

class QLabel;
class QToolButton;

namespace lumivex {

class LumivexStore;

// The rating section of the inspector: five stars showing the selected items' common rating, a
// status line and a clear button. A star sets every selected item to its value, or clears it
// when it is the common rating already. It keeps no state; `refresh` reads the store. Main
// thread.
class RatingEditor : public QWidget {
    Q_OBJECT

public:
    RatingEditor(LumivexStore& store, const Category& category, QWidget* parent = nullptr);

    void setCategory(const Category& category);
    void refresh();

    QToolButton* star(int value) const { return stars_[value - 1]; }
    QLabel* statusLabel() const { return status_; }
    QToolButton* clearButton() const { return clear_; }

private:
    void starClicked(int value);

    LumivexStore& store_;
    QLabel* title_;
    std::array<QToolButton*, 5> stars_{};
    QLabel* status_;
    QToolButton* clear_;
};

}  // namespace lumivex
