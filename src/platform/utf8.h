#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace lumivex {

// Strict UTF-8: text with invalid bytes is refused, never repaired.
namespace Utf8 {

bool isValid(const char* bytes, qsizetype size);
std::optional<QString> decode(const QByteArray& bytes);

}  // namespace Utf8
}  // namespace lumivex
