#pragma once

#include <QByteArray>

class QJsonValue;

namespace lumivex {

// Compact JSON whose bytes are fixed by the file formats: object keys in code-point order, "/"
// written as "\/", only quotes, backslashes and control characters escaped (other text stays
// raw UTF-8), integral numbers within 64 bits without a fraction and other numbers as their
// shortest round-trip decimal. Qt's writer offers none of these choices. Pure, any thread.
namespace SortedJson {

QByteArray encode(const QJsonValue& value);

}  // namespace SortedJson
}  // namespace lumivex
