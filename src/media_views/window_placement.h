#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QScreen;
class QWidget;

namespace lumivex {

// Where the application's own windows and popovers open, so that none of them stands partly off
// the screen: a popover stays wholly on the screen that holds its anchor, and a window opens
// centred on the main window or its screen; the main window itself opens where it was, or at its
// preferred size, wholly on a screen either way; the secondary windows stay above the main window.
// The placing rules are plain geometry; the widget calls apply them. Main thread.
namespace WindowPlacement {

// A popover's frame: `wanted` (where it would open beside `anchor`, both global) moved onto
// `area`. A popover that would cross the bottom or the top edge opens on the other side of its
// anchor when it fits there, then it is shifted inside the area; one larger than the area keeps
// its top-left corner in it.
QRect popover(const QRect& wanted, const QRect& anchor, const QRect& area);
// The top-left corner of a window frame of `frame` size centred on `area`, kept inside it.
QPoint centred(const QSize& frame, const QRect& area);
// The top-left corner of a window frame of `frame` size centred on `over`, kept inside `area`.
QPoint centredOver(const QSize& frame, const QRect& over, const QRect& area);

// How a main window is sized: the client size it prefers, the least it takes, and the frame the
// window manager puts around it (none before it framed the window).
struct MainWindowSizing {
    QSize preferred;
    QSize minimum;
    QMargins frame;
};
// The client rectangle of a main window on screens whose available areas are `areas`, the first
// being the one it opens on. A `remembered` rectangle whose frame lies wholly on an area stays as
// it is; one that does not is moved onto the area that holds most of it (the first when none
// does), and shrunk to it when larger. Without one, the preferred size centred on the first area,
// shrunk to fit it. Never below the minimum size.
QRect mainWindow(const std::optional<QRect>& remembered, const MainWindowSizing& sizing,
                 const QList<QRect>& areas);

// The screen that holds most of `global`, else the primary screen.
QScreen* screenHolding(const QRect& global);
// Moves the popup window `popup`, at its current size, to `wanted` placed by popover() on the
// available area of the screen that holds `anchor` (global).
void placePopover(QWidget& popup, const QPoint& wanted, const QRect& anchor);
// Moves the top-level `window`, before it shows, to the centre of the available area of the
// screen `mainWindow` stands on (the primary screen without one). Its frame is taken to be as
// thick as the main window's until the window manager has framed it.
void centreOnMainScreen(QWidget& window, const QWidget* mainWindow);
// Moves the top-level `window`, before it shows, to the centre of `mainWindow`'s frame, wholly on
// the available area of the screen that holds most of the main window.
void centreOnWindow(QWidget& window, const QWidget& mainWindow);
// Makes the top-level `window` a secondary window of `mainWindow`, which the window manager keeps
// above it (it is told so of dialogs only); without a main window it stands on its own again.
// Call it once the window is placed: it makes the native window, after which a move would place
// the client area instead of the frame.
void keepAbove(QWidget& window, const QWidget* mainWindow);
// Gives the top-level `window` the geometry mainWindow() finds for it on the available areas of
// the screens, the primary screen's first, with its frame as it stands now.
void placeMainWindow(QWidget& window, const std::optional<QRect>& remembered,
                     const QSize& preferred);

}  // namespace WindowPlacement

}  // namespace lumivex
