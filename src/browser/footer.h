#pragma once

#include "browser/store_region.h"

class QLabel;
class QSlider;
class QToolButton;

namespace lumivex {

// The status bar along the bottom: the library's state, the selection count, the deleted-records
// button, the mouse hint, the shortcut-help button and the card-size slider. Main thread.
class Footer : public StoreRegion {
    Q_OBJECT

public:
    Footer(LumivexStore& store, WindowState& state, QWidget* parent = nullptr);

    QLabel* statusLabel() const { return status_; }
    QLabel* selectionLabel() const { return selection_; }
    QToolButton* deletedButton() const { return deleted_; }
    QToolButton* shortcutsButton() const { return shortcuts_; }
    QSlider* cardSizeSlider() const { return slider_; }
    // The dot's colour, or an invalid colour while a progress indicator shows instead.
    QColor statusColor() const;

protected:
    void refresh() override;
    // The footer reads none of the views the store builds off the main thread.
    void refreshLoading() override { refresh(); }
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* progress_ = nullptr;
    QLabel* dot_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* selection_ = nullptr;
    QToolButton* deleted_ = nullptr;
    QToolButton* shortcuts_ = nullptr;
    QSlider* slider_ = nullptr;
    QColor dotColor_;
};

}  // namespace lumivex
