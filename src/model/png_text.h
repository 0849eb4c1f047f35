#pragma once

#include <QString>

#include <optional>

namespace lumivex {

// The text chunks of a PNG file that the capture-date reader needs, found by walking the chunk
// headers and seeking past everything else, so image data is never read.
namespace PngText {

// The text of the first "Creation Time" chunk (tEXt, zTXt or iTXt) that can be decoded; nothing
// when the file is not a PNG or holds no such chunk.
std::optional<QString> creationTime(const QString& path);

}  // namespace PngText
}  // namespace lumivex
