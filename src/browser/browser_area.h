#pragma once

#include "browser/empty_state.h"
#include "browser/store_region.h"
#include "model/library.h"
#include "model/library_source.h"
#include "model/sort_order.h"

#include <optional>

class QLabel;
class QPushButton;
class QStackedLayout;
class QToolButton;
class QVBoxLayout;

namespace lumivex {

class FilterBar;
class LibraryScopeLabel;
class MediaGridView;

// The wide middle column: the heading row (kind title, count, library scope, select-all,
// delete or deletion progress, sort menu and direction), the filter bar, and the grid or the one
// empty state that explains why there is nothing to show. Main thread.
class BrowserArea : public StoreRegion {
    Q_OBJECT

public:
    BrowserArea(LumivexStore& store, WindowState& state, QWidget* parent = nullptr);

    // The grid shown when items pass the query; the area owns it from now on.
    void setGrid(MediaGridView* grid);
    MediaGridView* grid() const { return grid_; }
    // Whether the grid reacts to the mouse and the keyboard now.
    bool gridEnabled() const;

    BrowserContent content() const { return content_; }
    EmptyState* emptyState() const { return emptyState_; }
    FilterBar* filterBar() const { return filterBar_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* countLabel() const { return count_; }
    LibraryScopeLabel* scopeLabel() const { return scope_; }
    QPushButton* selectAllButton() const { return selectAll_; }
    QPushButton* deleteButton() const { return delete_; }
    QToolButton* sortButton() const { return sort_; }
    QToolButton* directionButton() const { return direction_; }

protected:
    void refresh() override;
    void refreshLoading() override;

private:
    // What the sort menu is made from: it is made again only when one of these changes.
    struct SortMenuInputs {
        SortOrder sort = SortOrder::captured;
        std::optional<Category> sortCategory;
        std::optional<Category> rating;
        LibrarySource source = LibrarySource::none;
        QList<Category> properties;

        bool operator==(const SortMenuInputs&) const = default;
    };

    QWidget* makeHeading();
    void alignOnTitleBaseline(QVBoxLayout* controlColumn);
    // Without a count while the views are being built.
    void refreshHeading(std::optional<qsizetype> visible);
    void refreshSortMenu(const QList<Category>& properties);
    void refreshContent(BrowserContent content);
    QString sortTitle(SortOrder order) const;

    QLabel* title_ = nullptr;
    LibraryScopeLabel* scope_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* selectAll_ = nullptr;
    QWidget* progress_ = nullptr;
    QPushButton* delete_ = nullptr;
    QToolButton* sort_ = nullptr;
    QToolButton* direction_ = nullptr;
    FilterBar* filterBar_ = nullptr;
    QStackedLayout* stack_ = nullptr;
    QWidget* gridSlot_ = nullptr;
    MediaGridView* grid_ = nullptr;
    EmptyState* emptyState_ = nullptr;
    BrowserContent content_ = BrowserContent::grid;
    bool contentKnown_ = false;
    std::optional<bool> shownAscending_;
    std::optional<SortMenuInputs> shownSortMenu_;
};

}  // namespace lumivex
