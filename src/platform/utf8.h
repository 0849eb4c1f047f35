#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace lumivex {

// Strict UTF-8: text with invalid bytes is refused, never repaired, and every character is kept.
// Qt's own helpers (QString::fromUtf8, QFile::decodeName) drop a leading U+FEFF, which would
// change a name or a value that begins with one.
namespace Utf8 {

bool isValid(const char* bytes, qsizetype size);
std::optional<QString> decode(const QByteArray& bytes);
// The text of bytes already known to be valid UTF-8, a leading U+FEFF included.
QString decodeValid(QByteArrayView bytes);

}  // namespace Utf8
}  // namespace lumivex
