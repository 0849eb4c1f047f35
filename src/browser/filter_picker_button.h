#pragma once

#include "browser/filter_menu_option.h"
#include "browser/folder_menu_controller.h"
#include "model/folder_filter_node.h"

#include <QAbstractButton>

#include <functional>
#include <optional>
#include <vector>

namespace lumivex {

// The capsule button of a filter choice (symbol, title, small chevron) that opens and closes its
// own cascading menu below itself. Tinted while its filter is set, lightly filled under the
// pointer. The menu closes when the button is hidden or destroyed. Main thread.
class FilterMenuButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit FilterMenuButton(QWidget* parent = nullptr);
    ~FilterMenuButton() override;

    FolderMenuController& controller() { return controller_; }
    const QString& symbol() const { return symbol_; }
    bool active() const { return active_; }

    QSize sizeHint() const override;

protected:
    void setLook(const QString& title, const QString& symbol, bool active, const QString& help);
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    FolderMenuController controller_;
    QString symbol_;
    bool active_ = false;
};

// The folder filter: "폴더 필터", "선택한 폴더만" or the chosen folder's name.
class FolderFilterPicker : public FilterMenuButton {
    Q_OBJECT

public:
    using FilterMenuButton::FilterMenuButton;

    // `onSelect` receives the chosen folder path (absent: all folders).
    void setContents(const std::vector<FolderFilterNode>& nodes,
                     const std::optional<QString>& selection,
                     FolderMenuController::Select onSelect);
};

// Any other filter choice: kind, rating or a property's values. The button shows the title it is
// given whatever is chosen.
class FlatFilterPicker : public FilterMenuButton {
    Q_OBJECT

public:
    using FilterMenuButton::FilterMenuButton;

    void setContents(const QString& title, const QString& symbol,
                     const QList<FilterMenuOption>& options,
                     const std::optional<QString>& selection,
                     FolderMenuController::Select onSelect);
};

}  // namespace lumivex
