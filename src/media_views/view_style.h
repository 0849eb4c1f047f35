#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QLabel;
class QPushButton;
class QWidget;

namespace lumivex {

// The few looks the media views share: fonts given by size and weight, the dimmer text of
// secondary lines, and the standard mint and orange of notes (the brand colour comes from
// LumivexTheme). Main thread.
namespace ViewStyle {

// The application font at `size` pixels and `weight`.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal);
// The caption and callout text styles.
QFont caption();
QFont callout();
QFont headline();

// The dark look the photo access screens prefer, on the theme's panel colour.
QPalette darkPalette(QPalette palette);

// The accent-filled look of a window's main button (drawn by LumivexStyle).
void makeProminent(QPushButton* button);

QColor mint();
QColor orange();

// A label showing the named symbol ("video", "photo", "icloud.slash", ...)
// as a glyph of `size` pixels; the name stays in its "symbol" property.
QLabel* symbol(const QString& name, double size, QWidget* parent = nullptr);
// Shows another symbol in a label made by symbol().
void setSymbol(QLabel* label, const QString& name);

// A label that wraps its text and keeps the height the text needs.
QLabel* wrappingLabel(const QString& text, QWidget* parent = nullptr);
// Gives `widget` the dimmer text colour of secondary lines.
void makeSecondary(QWidget* widget);
void setTextColour(QWidget* widget, const QColor& colour);

}  // namespace ViewStyle
}  // namespace lumivex
