#pragma once

#include "model/library.h"
#include "platform/error.h"

#include <QByteArray>
#include <QJsonObject>

class QJsonValue;

namespace lumivex {

// The JSON coding of the library records: field names as keys, dates as seconds since
// 2001-01-01, identifiers as upper-case UUID text, enumerations as their raw text. Reading checks
// every type and fails as a whole with one Error of `errorDomain`. Pure functions, any thread.
namespace LibraryJson {

inline const QString errorDomain = QStringLiteral("Lumivex.JSONDecoding");
constexpr int dataCorruptedCode = 1;

// The decoding failure for the value under `key`.
Error decodingError(const QString& key);

QJsonObject toJson(const Category& category);
QJsonObject toJson(const MediaItem& item);
QJsonObject toJson(const Library& library);

// Compact bytes with sorted keys.
QByteArray encode(const Library& library);

Category categoryFromJson(const QJsonValue& value);
MediaItem itemFromJson(const QJsonValue& value);
Library libraryFromJson(const QJsonValue& value);

// Parses and decodes a whole document; malformed JSON fails like a wrong type.
Library decode(const QByteArray& bytes);
// The document of `bytes` or the decoding error.
QJsonValue parse(const QByteArray& bytes);

}  // namespace LibraryJson
}  // namespace lumivex
