#include "media_views/window_placement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace lumivex::WindowPlacement {

namespace {

// Popovers keep a few pixels off the screen's edges, so that their outline shows.
constexpr int screenInset = 4;

// The start of a span of `length` moved inside [lower, upper); a longer span starts at `lower`.
int fitted(int start, int length, int lower, int upper) {
    return std::max(lower, std::min(start, upper - length));
}

// The room between a popover's rectangle and its anchor, on the side it opens.
int gapBelow(const QRect& frame, const QRect& anchor) {
    return frame.top() - (anchor.bottom() + 1);
}

int gapAbove(const QRect& frame, const QRect& anchor) {
    return anchor.top() - (frame.bottom() + 1);
}

// The index of the rectangle among `areas` that shares the most with `global`; -1 when none does.
qsizetype mostShared(const QRect& global, const QList<QRect>& areas) {
    qsizetype holding = -1;
    qint64 largest = 0;
    for (qsizetype index = 0; index < areas.size(); ++index) {
        const QRect shared = areas[index].intersected(global);
        const qint64 area = qint64(shared.width()) * shared.height();
        if (!shared.isEmpty() && area > largest) {
            largest = area;
            holding = index;
        }
    }
    return holding;
}

// The available areas of the screens, the primary screen's first.
QList<QRect> availableAreas() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    QList<QRect> areas;
    if (primary != nullptr) {
        areas.append(primary->availableGeometry());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            areas.append(screen->availableGeometry());
        }
    }
    return areas;
}

// The thickness of the frame around a top-level widget's client area.
QMargins frameAround(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// The size of a top-level widget with its frame. A window the window manager has not framed yet
// reports no frame of its own: it is taken to be as thick as the main window's.
QSize framedSize(const QWidget& window, const QWidget* mainWindow) {
    const bool framed = window.frameGeometry() != window.geometry() || mainWindow == nullptr;
    return window.size().grownBy(frameAround(framed ? window : *mainWindow));
}

}  // namespace

QRect popover(const QRect& wanted, const QRect& anchor, const QRect& area) {
    const QRect inner = area.adjusted(screenInset, screenInset, -screenInset, -screenInset);
    QRect frame = wanted;
    if (frame.top() > anchor.center().y()) {
        const int above = anchor.top() - gapBelow(wanted, anchor) - frame.height();
        if (frame.bottom() > inner.bottom() && above >= inner.top()) {
            frame.moveTop(above);
        }
    } else {
        const int below = anchor.bottom() + 1 + gapAbove(wanted, anchor);
        if (frame.top() < inner.top() && below + frame.height() <= inner.bottom() + 1) {
            frame.moveTop(below);
        }
    }
    frame.moveLeft(fitted(frame.left(), frame.width(), inner.left(), inner.right() + 1));
    frame.moveTop(fitted(frame.top(), frame.height(), inner.top(), inner.bottom() + 1));
    return frame;
}

QPoint centred(const QSize& frame, const QRect& area) {
    return centredOver(frame, area, area);
}

QPoint centredOver(const QSize& frame, const QRect& over, const QRect& area) {
    const int x = over.left() + (over.width() - frame.width()) / 2;
    const int y = over.top() + (over.height() - frame.height()) / 2;
    return {fitted(x, frame.width(), area.left(), area.right() + 1),
            fitted(y, frame.height(), area.top(), area.bottom() + 1)};
}

QRect mainWindow(const std::optional<QRect>& remembered, const MainWindowSizing& sizing,
                 const QList<QRect>& areas) {
    const QMargins& frame = sizing.frame;
    const QRect wanted = remembered ? remembered->marginsAdded(frame)
                                    : QRect(QPoint(), sizing.preferred.grownBy(frame));
    if (areas.isEmpty()) {
        return wanted.marginsRemoved(frame);
    }
    const qsizetype holding = remembered ? mostShared(wanted, areas) : 0;
    const QRect& area = areas[std::max<qsizetype>(holding, 0)];
    const QSize size =
        wanted.size().boundedTo(area.size()).shrunkBy(frame).expandedTo(sizing.minimum);
    const QSize outer = size.grownBy(frame);
    const QPoint corner =
        remembered ? QPoint(fitted(wanted.left(), outer.width(), area.left(), area.right() + 1),
                            fitted(wanted.top(), outer.height(), area.top(), area.bottom() + 1))
                   : centred(outer, area);
    return {corner + QPoint(frame.left(), frame.top()), size};
}

QScreen* screenHolding(const QRect& global) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> areas;
    for (const QScreen* screen : screens) {
        areas.append(screen->geometry());
    }
    const qsizetype holding = mostShared(global, areas);
    return holding >= 0 ? screens[holding] : QGuiApplication::primaryScreen();
}

void placePopover(QWidget& popup, const QPoint& wanted, const QRect& anchor) {
    const QRect frame(wanted, popup.size());
    const QScreen* screen = screenHolding(anchor);
    popup.move(screen != nullptr ? popover(frame, anchor, screen->availableGeometry()).topLeft()
                                 : wanted);
}

void centreOnMainScreen(QWidget& window, const QWidget* mainWindow) {
    const QScreen* screen = mainWindow != nullptr ? screenHolding(mainWindow->frameGeometry())
                                                  : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    window.move(centred(framedSize(window, mainWindow), screen->availableGeometry()));
}

void centreOnWindow(QWidget& window, const QWidget& mainWindow) {
    const QRect over = mainWindow.frameGeometry();
    const QScreen* screen = screenHolding(over);
    if (screen == nullptr) {
        return;
    }
    window.move(centredOver(framedSize(window, &mainWindow), over, screen->availableGeometry()));
}

void keepAbove(QWidget& window, const QWidget* mainWindow) {
    window.winId();  // the native window, which holds the relation
    window.windowHandle()->setTransientParent(mainWindow != nullptr ? mainWindow->windowHandle()
                                                                    : nullptr);
}

void placeMainWindow(QWidget& window, const std::optional<QRect>& remembered,
                     const QSize& preferred) {
    const MainWindowSizing sizing{
        preferred, window.minimumSizeHint().expandedTo(window.minimumSize()), frameAround(window)};
    const QRect placed = mainWindow(remembered, sizing, availableAreas());
    if (placed != window.geometry()) {
        window.setGeometry(placed);
    }
}

}  // namespace lumivex::WindowPlacement
