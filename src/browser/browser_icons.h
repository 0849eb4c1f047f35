#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

class QPainter;
class QRectF;

namespace lumivex {

// The window's icons, drawn by us with QPainter and named by symbol ("star", "folder",
// "person.2", "play.fill", ...). Each is drawn in one colour into a square; an unknown name draws
// nothing. Pixmaps are kept once made, so a painter may ask for one on every paint. Main thread.
namespace BrowserIcons {

QStringList names();
bool contains(const QString& name);

// Draws the symbol centred in `box` (its shorter side is the symbol's size).
void paint(QPainter& painter, const QString& name, const QRectF& box, const QColor& color);

// The symbol `pixelSize` logical pixels square at this device pixel ratio; null when unknown.
QPixmap pixmap(const QString& name, int pixelSize, const QColor& color,
               qreal devicePixelRatio = 1.0);

// An icon for buttons and menus: the colour given for its normal state, dimmed when disabled.
QIcon icon(const QString& name, const QColor& color);

}  // namespace BrowserIcons
}  // namespace lumivex
