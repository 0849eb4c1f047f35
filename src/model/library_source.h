#pragma once

#include <QString>

#include <optional>

namespace lumivex {

// The kind of the open library.
enum class LibrarySource { none, folder, photos };

QString rawValue(LibrarySource source);
std::optional<LibrarySource> librarySourceFromRaw(const QString& raw);

}  // namespace lumivex
