#include "inspector/inspector_style.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "inspector/key_activation.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace lumivex::InspectorStyle {

QLabel* sectionTitle(const QString& text, QWidget* parent) {
    return label(text, 11, BrowserPalette::secondaryText(), parent, QFont::DemiBold);
}

QLabel* label(const QString& text, double size, const QColor& colour, QWidget* parent,
              QFont::Weight weight) {
    auto* result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setFont(BrowserFonts::system(size, weight));
    setColour(result, colour);
    return result;
}

void setColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QToolButton* symbolButton(const QString& symbol, int size, const QColor& colour,
                          const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setToolTip(help);
    button->setCursor(Qt::PointingHandCursor);
    KeyActivation::reachByTab(*button);
    setSymbol(button, symbol, size, colour);
    return button;
}

QLabel* symbolLabel(const QString& symbol, int size, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(BrowserIcons::pixmap(symbol, size, colour, parent->devicePixelRatioF()));
    label->setProperty("symbol", symbol);
    return label;
}

void setSymbol(QToolButton* button, const QString& symbol, int size, const QColor& colour) {
    button->setIcon(BrowserIcons::icon(symbol, colour));
    button->setIconSize(QSize(size, size));
    button->setProperty("symbol", symbol);
}

QToolButton* textButton(const QString& text, double size, const QColor& colour, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setText(text);
    button->setFont(BrowserFonts::system(size));
    button->setCursor(Qt::PointingHandCursor);
    KeyActivation::reachByTab(*button);
    setColour(button, colour);
    return button;
}

QWidget* divider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, BrowserPalette::divider());
    line->setPalette(palette);
    return line;
}

void paintRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& fill,
                  const QColor& stroke) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const QRectF box = stroke.isValid() ? rect.adjusted(0.5, 0.5, -0.5, -0.5) : rect;
    path.addRoundedRect(box, radius, radius);
    painter.fillPath(path, fill);
    if (stroke.isValid()) {
        painter.setPen(QPen(stroke, 1));
        painter.drawPath(path);
    }
    painter.restore();
}

}  // namespace lumivex::InspectorStyle
