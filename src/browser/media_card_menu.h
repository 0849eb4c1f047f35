#pragma once

#include <QPoint>

#include <functional>

class QMenu;
class QWidget;

namespace lumivex {

class LumivexStore;
class ShellServices;
struct MediaItem;

// The context menu of a card: open the preview, show the file (or the photo library), open a
// folder photo with its default application, and delete it or the selection it belongs to.
namespace MediaCardMenu {

struct Services {
    LumivexStore* store = nullptr;
    ShellServices* shell = nullptr;
};

// The menu for `item`; `open` opens its preview. The caller owns the menu.
QMenu* make(const MediaItem& item, Services services, std::function<void()> open,
            QWidget* parent = nullptr);
// Shows the menu at `globalPosition` without waiting; it deletes itself when closed.
void popup(const MediaItem& item, Services services, QPoint globalPosition,
           std::function<void()> open, QWidget* parent);

}  // namespace MediaCardMenu
}  // namespace lumivex
