#pragma once

#include <QString>

#include <optional>

namespace lumivex {

class ReadOnlyFile;

// The text chunks of a PNG file that the capture-date reader needs, found by walking the chunk
// headers and stepping over everything else, so image data is never read.
namespace PngText {

// The text of the first "Creation Time" chunk (tEXt, zTXt or iTXt) that can be decoded; nothing
// when the file is not a PNG or holds no such chunk. Throws Error when the file cannot be read.
std::optional<QString> creationTime(const ReadOnlyFile& file);

}  // namespace PngText
}  // namespace lumivex
