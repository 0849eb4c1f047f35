#pragma once

#include "browser/filter_menu_option.h"
#include "browser/store_region.h"
#include "model/folder_filter_node.h"
#include "model/library_source.h"
#include "model/media_query.h"

#include <QHash>
#include <QUuid>

#include <optional>
#include <vector>

class QHBoxLayout;
class QScrollArea;
class QPushButton;

namespace lumivex {

class FlatFilterPicker;
class FolderFilterPicker;

// The row of filter pickers above the grid: kind and length, folder (folder libraries), rating
// (when the library has its rating property), one per property of the folder scope, a removable
// chip per active filter and the reset button. It shows and changes only the query's filters;
// the search text and the sort belong to the header and the browser area. Main thread.
class FilterBar : public StoreRegion {
    Q_OBJECT

public:
    FilterBar(LumivexStore& store, WindowState& state, QWidget* parent = nullptr);

    FlatFilterPicker* kindPicker() const { return kindPicker_; }
    FolderFilterPicker* folderPicker() const { return folderPicker_; }
    FlatFilterPicker* ratingPicker() const { return ratingPicker_; }
    FlatFilterPicker* propertyPicker(const QUuid& id) const { return propertyPickers_.value(id); }
    // The chips' titles, in order.
    QStringList chipTitles() const;
    QPushButton* chip(const QString& title) const;
    QPushButton* resetButton() const { return resetButton_; }
    // The scroll view that holds the row; it shows no scroll bar.
    QScrollArea* scrollArea() const { return scroll_; }

protected:
    void refresh() override;
    void refreshLoading() override;
    // The row scrolls sideways under the wheel too: with no bar shown, the wheel is the only way
    // to reach a button that does not fit.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Everything the row shows is made from these; an equal set leaves every button as it is.
    struct Inputs {
        MediaQuery filters;  // the query without its search text and sort
        LibrarySource source = LibrarySource::none;
        bool rating = false;
        QList<Category> properties;
        QList<QList<std::pair<QString, qsizetype>>> values;  // per property, its values' counts

        bool operator==(const Inputs&) const = default;
    };

    // A property picker's menu, kept while the property's name, symbol and values stay: a
    // property may have thousands of values, and an edit mostly changes one property's.
    struct PropertyMenu {
        QString name;
        QString symbol;
        QList<std::pair<QString, qsizetype>> values;
        QList<FilterMenuOption> options;
    };

    Inputs inputs();
    bool unchanged(const Inputs& inputs);
    const QList<FilterMenuOption>& propertyMenu(const Category& property,
                                                const QList<std::pair<QString, qsizetype>>& values);
    void clearRow();
    void finishRow();
    void addKindPicker();
    void refreshPickers();
    void refreshChips();

    QScrollArea* scroll_ = nullptr;
    QHBoxLayout* row_ = nullptr;
    FlatFilterPicker* kindPicker_ = nullptr;
    FolderFilterPicker* folderPicker_ = nullptr;
    FlatFilterPicker* ratingPicker_ = nullptr;
    QHash<QUuid, FlatFilterPicker*> propertyPickers_;
    QHash<QUuid, PropertyMenu> propertyMenus_;
    QList<QPushButton*> chips_;
    QPushButton* resetButton_ = nullptr;
    std::optional<Inputs> shown_;
    std::vector<FolderFilterNode> shownFolders_;
};

}  // namespace lumivex
