#include "browser/browser_fonts.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace lumivex::BrowserFonts {

namespace {

const QStringList& families(Design design) {
    static const QStringList standard = {
        QStringLiteral("Noto Sans CJK KR"), QStringLiteral("Noto Sans KR"),
        QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")};
    static const QStringList monospaced = {
        QStringLiteral("Noto Sans Mono CJK KR"), QStringLiteral("Noto Sans Mono"),
        QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans CJK KR")};
    return design == Design::monospaced ? monospaced : standard;
}

}  // namespace

QFont system(double pixelSize, QFont::Weight weight, Design design) {
    QFont font;
    font.setFamilies(families(design));
    font.setStyleHint(design == Design::monospaced ? QFont::Monospace : QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setWeight(weight);
    return font;
}

}  // namespace lumivex::BrowserFonts
