#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QPainter;
class QRectF;
class QToolButton;
class QWidget;

namespace lumivex {

// The looks the inspector's views share over the window's palette, fonts and icons: the section
// title, labels and plain buttons in one colour, and the rounded fills under chips and rows.
// Colours go through each widget's palette, so the application style draws them. Main thread.
namespace InspectorStyle {

// The section title of every editor: 11 px, semibold, secondary.
QLabel* sectionTitle(const QString& text, QWidget* parent = nullptr);
QLabel* label(const QString& text, double size, const QColor& colour, QWidget* parent = nullptr,
              QFont::Weight weight = QFont::Normal);
void setColour(QWidget* widget, const QColor& colour);

// A borderless button showing a drawn symbol (and text beside it when given).
QToolButton* symbolButton(const QString& symbol, int size, const QColor& colour,
                          const QString& help, QWidget* parent = nullptr);
// A borderless text button.
QToolButton* textButton(const QString& text, double size, const QColor& colour,
                        QWidget* parent = nullptr);
// A label showing a drawn symbol, named by its "symbol" property.
QLabel* symbolLabel(const QString& symbol, int size, const QColor& colour, QWidget* parent);
void setSymbol(QToolButton* button, const QString& symbol, int size, const QColor& colour);

// A 1 px line in the divider colour.
QWidget* divider(QWidget* parent = nullptr);

// A rounded rectangle filled with `fill`, outlined with `stroke` when valid.
void paintRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& fill,
                  const QColor& stroke = QColor());

}  // namespace InspectorStyle
}  // namespace lumivex
