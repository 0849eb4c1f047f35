#pragma once

#include <QHash>
#include <QPainterPath>
#include <QString>

namespace lumivex {

// The outline of one symbol in a 24 by 24 box: lines that are stroked and areas that are filled.
struct BrowserIconShape {
    QPainterPath stroked;
    QPainterPath filled;
};

// Every symbol the window uses, by name.
const QHash<QString, BrowserIconShape>& browserIconShapes();

}  // namespace lumivex
