#include "panels/panel_symbol.h"

#include "media_views/lumivex_style.h"
#include "media_views/view_style.h"

#include <QFontInfo>
#include <QHash>
#include <QIcon>
#include <QLabel>

namespace lumivex::PanelSymbol {

namespace {

// No installed font has a pin, and none draws a magnifier as large as the glyphs beside it: the
// application draws both, as the browser does.
bool drawnByTheApplication(const QString& name) {
    return name == QStringLiteral("magnifyingglass") || name == QStringLiteral("mappin");
}

}  // namespace

QString glyph(const QString& name) {
    static const QHash<QString, QString> glyphs{
        {QStringLiteral("xmark"), QStringLiteral("\u2715")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("\u2715")},
        {QStringLiteral("star"), QStringLiteral("\u2606")},
        {QStringLiteral("star.fill"), QStringLiteral("\u2605")},
        {QStringLiteral("clock.arrow.circlepath"), QStringLiteral("\u21BA")},
        {QStringLiteral("keyboard"), QStringLiteral("\u2328")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("\u2315")},
        {QStringLiteral("checkmark.circle"), QStringLiteral("\u2713")},
        {QStringLiteral("info.circle"), QStringLiteral("\u24D8")},
        {QStringLiteral("icloud"), QStringLiteral("\u2601")},
        {QStringLiteral("folder"), QStringLiteral("\u25A4")},
        {QStringLiteral("film"), QStringLiteral("\u25B6")},
        {QStringLiteral("photo"), QStringLiteral("\u25A3")},
        {QStringLiteral("chevron.down"), QStringLiteral("\u25BE")},
        {QStringLiteral("chevron.up"), QStringLiteral("\u25B4")},
        {QStringLiteral("square.grid.2x2"), QStringLiteral("\u25A6")},
        {QStringLiteral("arrow.up.left.and.arrow.down.right"), QStringLiteral("\u2921")},
        {QStringLiteral("play.rectangle"), QStringLiteral("\u25B6")},
        {QStringLiteral("text.alignleft"), QStringLiteral("\u2261")},
        {QStringLiteral("tag"), QStringLiteral("#")},
        {QStringLiteral("person.2"), QStringLiteral("\u263A")},
        {QStringLiteral("list.bullet"), QStringLiteral("\u2022")},
    };
    return glyphs.value(name, QStringLiteral("\u2022"));
}

QLabel* label(const QString& name, double size, const QColor& colour, QWidget* parent) {
    auto* symbol = new QLabel(parent);
    symbol->setFont(ViewStyle::systemFont(size));
    symbol->setAlignment(Qt::AlignCenter);
    ViewStyle::setTextColour(symbol, colour);
    set(symbol, name);
    return symbol;
}

void set(QLabel* label, const QString& name) {
    label->setProperty("symbol", name);
    if (drawnByTheApplication(name)) {
        const QIcon drawn =
            LumivexStyle::symbolIcon(name, label->palette().color(QPalette::WindowText));
        if (!drawn.isNull()) {
            const int size = QFontInfo(label->font()).pixelSize();
            label->setPixmap(drawn.pixmap(QSize(size, size), label->devicePixelRatioF()));
            return;
        }
    }
    label->setText(glyph(name));
}

}  // namespace lumivex::PanelSymbol
