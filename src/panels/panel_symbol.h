#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace lumivex {

// The symbols of the panels, the preview and the settings window, named as the rest of the
// application names them ("xmark", "star.fill", "keyboard", ...) and shown as one glyph of the
// installed fonts, or drawn by the application where none has a fitting glyph. The name stays in
// the label's "symbol" property. Main thread.
namespace PanelSymbol {

QString glyph(const QString& name);
QLabel* label(const QString& name, double size, const QColor& colour, QWidget* parent = nullptr);
void set(QLabel* label, const QString& name);

}  // namespace PanelSymbol
}  // namespace lumivex
