#include "media_views/window_placement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

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
    const int x = area.left() + (area.width() - frame.width()) / 2;
    const int y = area.top() + (area.height() - frame.height()) / 2;
    return {fitted(x, frame.width(), area.left(), area.right() + 1),
            fitted(y, frame.height(), area.top(), area.bottom() + 1)};
}

QScreen* screenHolding(const QRect& global) {
    QScreen* holding = nullptr;
    qint64 largest = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect shared = screen->geometry().intersected(global);
        const qint64 area = qint64(shared.width()) * shared.height();
        if (!shared.isEmpty() && area > largest) {
            largest = area;
            holding = screen;
        }
    }
    return holding != nullptr ? holding : QGuiApplication::primaryScreen();
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
    // A window the window manager has not framed yet reports no frame of its own.
    const bool framed = window.frameGeometry() != window.geometry() || mainWindow == nullptr;
    const QWidget& measured = framed ? window : *mainWindow;
    const QRect outer = measured.frameGeometry();
    const QRect inner = measured.geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    window.move(centred(window.size().grownBy(frame), screen->availableGeometry()));
}

}  // namespace lumivex::WindowPlacement
