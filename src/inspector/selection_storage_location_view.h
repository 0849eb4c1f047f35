#pragma once

#include "inspector/storage_locations.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

class QLabel;
class QToolButton;

namespace lumivex {

class LumivexStore;

// "저장 위치": in which folders the selected items' classification data is kept. A click opens
// the one folder in the file manager, or lists the folders in a popover with the number of
// selected items in each, counted when it opens; any change of the selection closes the popover.
// Tab reaches it, and Space or Return acts as a click. Main thread.
class SelectionStorageLocationView : public QWidget {
    Q_OBJECT

public:
    SelectionStorageLocationView(LumivexStore& store, const QColor& accent,
                                 QWidget* parent = nullptr);

    void refresh();

    QString title() const;
    const StorageLocations::Icons& icons() const { return icons_; }
    QWidget* popover() const { return popover_; }
    void click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFolders();
    QWidget* folderRow(const StorageLocations::Folder& folder, const QString& rootName,
                       QWidget* parent);

    LumivexStore& store_;
    QColor accent_;
    QStringList folders_;  // the selected items' folders, each once
    StorageLocations::Icons icons_;
    QWidget* button_;
    QLabel* leading_;
    QLabel* title_;
    QLabel* trailing_;
    QPointer<QWidget> popover_;
};

}  // namespace lumivex
