#pragma once

#include "browser/store_region.h"

class QLineEdit;
class QMenu;
class QToolButton;

namespace lumivex {

// The top row of the main window: the title block, the search field, undo and redo, refresh,
// the inspector toggle, the settings button and the menu of library commands. It keeps no state
// of its own. Main thread.
class HeaderToolbar : public StoreRegion {
    Q_OBJECT

public:
    HeaderToolbar(LumivexStore& store, WindowState& state, QWidget* parent = nullptr);

    QLineEdit* searchField() const { return search_; }
    QToolButton* clearButton() const { return clear_; }
    QToolButton* undoButton() const { return undo_; }
    QToolButton* redoButton() const { return redo_; }
    QToolButton* refreshButton() const { return refresh_; }
    QToolButton* inspectorButton() const { return inspector_; }
    QToolButton* settingsButton() const { return settings_; }
    QMenu* libraryMenu() const { return menu_; }

Q_SIGNALS:
    // The settings button was pressed; the application opens its settings window.
    void settingsRequested();

protected:
    void refresh() override;
    // The toolbar reads none of the views the store builds off the main thread.
    void refreshLoading() override { refresh(); }
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeTitleBlock();
    QWidget* makeSearchField();
    QToolButton* iconButton(const QString& symbol, const QString& help);
    void refreshMenu();

    QLineEdit* search_ = nullptr;
    QToolButton* clear_ = nullptr;
    QToolButton* undo_ = nullptr;
    QToolButton* redo_ = nullptr;
    QToolButton* refresh_ = nullptr;
    QToolButton* inspector_ = nullptr;
    QToolButton* settings_ = nullptr;
    QToolButton* more_ = nullptr;
    QMenu* menu_ = nullptr;
};

}  // namespace lumivex
