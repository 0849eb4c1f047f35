#include "media_views/view_style.h"

#include "media_views/lumivex_style.h"
#include "store/lumivex_theme.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace lumivex::ViewStyle {

namespace {

constexpr double secondaryOpacity = 0.6;

QString glyph(const QString& name) {
    static const QHash<QString, QString> glyphs{
        {QStringLiteral("video"), QStringLiteral("\u25B6")},
        {QStringLiteral("photo"), QStringLiteral("\u25A3")},
        {QStringLiteral("icloud.slash"), QStringLiteral("\u2298")},
        {QStringLiteral("icloud"), QStringLiteral("\u2601")},
        {QStringLiteral("photo.badge.checkmark"), QStringLiteral("\u2713")},
        {QStringLiteral("photo.on.rectangle.angled"), QStringLiteral("\u25A3")},
    };
    return glyphs.value(name);
}

}  // namespace

QFont systemFont(double size, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(static_cast<int>(std::lround(size)));
    font.setWeight(weight);
    return font;
}

QFont caption() {
    return systemFont(10);
}

QFont callout() {
    return systemFont(12);
}

QFont headline() {
    return systemFont(13, QFont::DemiBold);
}

QPalette darkPalette(QPalette palette) {
    const QColor text = QColor::fromRgb(235, 235, 240);
    palette.setColor(QPalette::Window, LumivexTheme::panel());
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor::fromRgb(58, 58, 60));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Base, QColor::fromRgb(44, 44, 46));
    palette.setColor(QPalette::Highlight, LumivexTheme::accent());
    return palette;
}

void makeProminent(QPushButton* button) {
    LumivexStyle::setProminent(button);
}

QColor mint() {
    return QColor::fromRgb(0, 199, 190);
}

QColor orange() {
    return QColor::fromRgb(255, 149, 0);
}

QLabel* symbol(const QString& name, double size, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(systemFont(size));
    label->setAlignment(Qt::AlignCenter);
    setSymbol(label, name);
    return label;
}

void setSymbol(QLabel* label, const QString& name) {
    label->setProperty("symbol", name);
    label->setText(glyph(name));
}

QLabel* wrappingLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    return label;
}

void makeSecondary(QWidget* widget) {
    QColor colour = widget->palette().color(QPalette::WindowText);
    colour.setAlphaF(secondaryOpacity);
    setTextColour(widget, colour);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

}  // namespace lumivex::ViewStyle
