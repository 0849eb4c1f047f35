#pragma once

#include <QColor>

namespace lumivex {

// The interface colours every window shares, in sRGB, fully opaque.
namespace LumivexTheme {

const QColor& accent();
const QColor& canvas();
const QColor& panel();

}  // namespace LumivexTheme
}  // namespace lumivex
