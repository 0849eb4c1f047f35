#pragma once

#include "browser/sidebar_plan.h"

#include <QList>
#include <QWidget>

class QVBoxLayout;

namespace lumivex {

class NavRow;
class WindowState;

// One section of the sidebar: its title, the rename button of a property whose name can be
// changed here, the hint of a property without values, and its rows. A new plan with the same
// heading is shown in place: rows keeping their title keep their widget and take the new count
// and highlight, so a value added to a property of thousands makes one row, not thousands (the
// style sheet's polish of a row costs far more than drawing it). Main thread.
class SidebarSection : public QWidget {
    Q_OBJECT

public:
    SidebarSection(SidebarPlan::Section plan, WindowState& state, QWidget* parent = nullptr);

    // Shows `plan` in place, taking it, and returns true; false, changing neither, when its
    // heading differs or when length rows come or go (the section must then be made again).
    bool follow(SidebarPlan::Section& plan);
    const QList<NavRow*>& rows() const { return rows_; }

private:
    void addHeading();
    NavRow* makeRow(const SidebarPlan::Row& plan);
    void setStates(const SidebarPlan::Section& plan);
    bool placeRows(const SidebarPlan::Section& plan);

    WindowState& state_;
    SidebarPlan::Section plan_;
    QVBoxLayout* layout_ = nullptr;
    int firstRow_ = 0;  // the place in `layout_` of the first row, after the title and the hint
    QList<NavRow*> rows_;
};

}  // namespace lumivex
