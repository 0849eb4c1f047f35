#pragma once

#include "platform/error.h"

namespace lumivex {

// The one error of catalog reading: malformed catalog text or an unsafe relative path.
namespace CatalogError {

inline const QString domain = QStringLiteral("Lumivex.CatalogError");
constexpr int invalidCSVCode = 1;

Error invalidCSV();
bool isInvalidCSV(const Error& error);

}  // namespace CatalogError
}  // namespace lumivex
