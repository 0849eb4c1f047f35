#pragma once

#include "browser/store_region.h"
#include "inspector/category_sheet.h"
#include "model/library.h"

#include <QMessageBox>
#include <QPointer>

#include <functional>

class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace lumivex {

// The panel in which the properties of the current folder scope are listed, moved, renamed,
// deleted and created. The rating property stays first and locked. Every change is one store
// call; creating and renaming happen in a CategorySheet it opens. Rows are drawn again once per
// event-loop turn after the store changes. Main thread.
class PropertyManagerSheet : public StoreRegion {
    Q_OBJECT

public:
    PropertyManagerSheet(LumivexStore& store, WindowState& state, std::function<void()> onClose,
                         QWidget* parent = nullptr);

    QLabel* subtitle() const { return subtitle_; }
    QPushButton* doneButton() const { return done_; }
    QPushButton* addButton() const { return add_; }
    // The row of the property, or nothing.
    QWidget* row(const QUuid& property) const;
    // A row's button by its symbol ("chevron.up", "chevron.down", "pencil", "trash").
    QToolButton* rowButton(const QUuid& property, const QString& symbol) const;
    QMessageBox* deleteAlert() const { return deleteAlert_; }
    CategorySheet* categorySheet() const { return sheet_; }

    void beginDelete(const Category& category);
    void openSheet(const std::optional<Category>& category);

    QSize sizeHint() const override { return {500, 520}; }

protected:
    void refresh() override;
    void refreshLoading() override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // A row's button, by the row's property and the button's symbol.
    struct FocusedControl {
        QUuid property;
        QString symbol;
    };

    QString subtitleText() const;
    void removeRows();
    std::optional<FocusedControl> focusedControl() const;
    void refocus(const FocusedControl& control);
    void reveal(const QUuid& property);
    QWidget* makeRow(const Category& category, qsizetype position, qsizetype count);

    std::function<void()> onClose_;
    QLabel* subtitle_;
    QPushButton* done_;
    QPushButton* add_;
    QWidget* list_;
    QScrollArea* scroll_;
    QVBoxLayout* rows_;
    QHash<QUuid, QWidget*> rowByID_;
    QPointer<QMessageBox> deleteAlert_;
    QPointer<CategorySheet> sheet_;
};

}  // namespace lumivex
