#pragma once

#include "browser/sidebar_plan.h"
#include "browser/store_region.h"
#include "model/media_query.h"

class QFrame;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace lumivex {

class NavRow;
class SidebarSection;
class SourceOption;

// The left column: the library's kinds with the length rows, one section per property with its
// values and counts, the add and edit property buttons and, pinned below, the source switcher
// with its popover of the photo library, the recent folders and another folder. Main thread.
class Sidebar : public StoreRegion {
    Q_OBJECT

public:
    Sidebar(LumivexStore& store, WindowState& state, QWidget* parent = nullptr);

    // The row titled `title`, or nothing.
    NavRow* row(const QString& title) const;
    QStringList rowTitles() const;
    QPushButton* addPropertyButton() const { return addProperty_; }
    QPushButton* editPropertiesButton() const { return editProperties_; }
    QPushButton* sourceButton() const { return source_; }
    QLabel* sourceDetail() const { return sourceDetail_; }
    // The source popover while it is shown.
    QFrame* sourcePopover() const { return popover_; }

protected:
    void refresh() override;
    void refreshLoading() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void queryChanged();
    void clearSections();
    void showSections(SidebarPlan plan);
    void addPropertyButtons();
    // The property buttons and the source switcher, which need no counts.
    void refreshSource();
    QWidget* makeSourceButton();
    void refreshPopover();
    void buildPopover();
    void addRecentFolders(QVBoxLayout* layout);

    QVBoxLayout* sections_ = nullptr;
    QList<SidebarSection*> shown_;
    QPushButton* addProperty_ = nullptr;
    QPushButton* editProperties_ = nullptr;
    QPushButton* source_ = nullptr;
    QLabel* sourceDetail_ = nullptr;
    QFrame* popover_ = nullptr;
    MediaQuery shownQuery_;
};

}  // namespace lumivex
