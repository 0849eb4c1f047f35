#pragma once

#include "browser/filter_menu_option.h"
#include "model/folder_filter_node.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class QScrollArea;
class QWindow;
class QWidget;

namespace lumivex {

class FolderMenuRow;

// The cascading menu a filter picker button opens: one frameless tool window per level beside
// the main window, so a long folder tree is browsed level by level while the keyboard focus stays
// in the main window. In folder mode the root level offers "모든 폴더", "선택한 폴더만" and the
// top folders, and a folder opens its subfolders beside it when the pointer rests on it or Right
// is pressed; in flat mode one level lists the caller's options. Choosing a row closes the menu
// and reports the row's value.
//
// While open, an application event filter takes the keys typed into the main window or the
// menu (never those of another window, such as a sheet) and closes the menu on a click elsewhere;
// the menu also closes when another window becomes active or the application goes inactive.
// Main thread.
class FolderMenuController : public QObject {
    Q_OBJECT

public:
    using Select = std::function<void(const std::optional<QString>&)>;

    // One row of one level.
    struct Entry {
        QString title;
        std::optional<QString> path;  // absent: all folders; "": the root folder alone
        std::vector<FolderFilterNode> children;
        QString symbol;
        int indentation = 0;
    };

    explicit FolderMenuController(QObject* parent = nullptr);
    ~FolderMenuController() override;

    // Folder mode. An open menu that shows another tree or selection closes.
    void configure(const std::vector<FolderFilterNode>& nodes,
                   const std::optional<QString>& selection, Select select);
    // Flat mode. An open menu that shows other options or another selection closes.
    void configure(const QList<FilterMenuOption>& options, const QString& title,
                   const std::optional<QString>& selection, Select select);

    // Opens the root level below the anchor, or closes an open menu.
    void toggle();
    void close();

    void setAnchor(QWidget* anchor) { anchor_ = anchor; }
    QWidget* anchor() const { return anchor_; }

    bool isOpen() const { return !levels_.isEmpty(); }
    // The rows the menu opens with.
    const QList<Entry>& rootEntries() const { return rootEntries_; }
    qsizetype levelCount() const { return levels_.size(); }
    QWidget* panel(qsizetype depth) const;
    QList<FolderMenuRow*> rows(qsizetype depth) const;
    int focusedDepth() const { return focusedDepth_; }
    int focusedIndex() const { return focusedIndex_; }
    // Whether `window` is one of the menu's own level windows.
    bool ownsWindow(const QWidget* window) const;

    // Handles one key typed while the menu is open; whether it was consumed.
    bool handleKey(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Level {
        QPointer<QWidget> panel;
        QScrollArea* scroll = nullptr;
        QList<FolderMenuRow*> rows;
        QList<Entry> entries;
        std::optional<QString> parentPath;
    };

    void appendLevel(const QList<Entry>& entries, const std::optional<QString>& parentPath,
                     const QRect& anchorRect, bool root);
    QWidget* makePanel(const QRect& frame, bool root, const std::optional<QString>& parentPath);
    void addRows(Level& level, int depth, int contentHeight, int gap, bool root);
    void installDismissal();
    void removeDismissal();
    void removeLevels(qsizetype depth);
    void choose(int depth, int index);
    void hover(int depth, int index);
    void expand(int depth, int index);
    void highlightOnly(int depth, int index);
    int firstHighlighted(qsizetype depth) const;
    void moveFocus(int step);
    void focusParent();
    void enterChild();
    bool ownsKeyTarget(QObject* watched) const;
    void dismissOnPointer(QObject* watched, QEvent* event);
    void activeWindowChanged(QWindow* focus);

    std::vector<FolderFilterNode> nodes_;
    std::optional<QList<FilterMenuOption>> options_;
    QList<Entry> rootEntries_;
    QString rootTitle_ = QStringLiteral("폴더 선택");
    bool rootSeparator_ = true;
    std::optional<QString> selection_;
    Select select_ = [](const std::optional<QString>&) {};
    QList<Level> levels_;
    bool dismissalInstalled_ = false;
    QTimer hoverTimer_;
    int hoverDepth_ = 0;
    int hoverIndex_ = 0;
    int focusedDepth_ = 0;
    int focusedIndex_ = 0;
    QPointer<QWidget> anchor_;
};

}  // namespace lumivex
