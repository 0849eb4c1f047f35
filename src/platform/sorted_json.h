#pragma once

#include <QByteArray>
#include <QList>

#include <initializer_list>
#include <optional>

class QJsonDocument;
class QJsonValue;
class QString;

namespace lumivex {

// Compact JSON whose bytes are fixed by the file formats: object keys in code-point order, "/"
// written as "\/", only quotes, backslashes and control characters escaped (other text stays
// raw UTF-8), integral numbers within 64 bits without a fraction and other numbers as their
// shortest round-trip decimal. Qt's writer offers none of these choices. Pure, any thread.
namespace SortedJson {

QByteArray encode(const QJsonValue& value);
// Appends the bytes encode() writes for the text `text`: a writer of a fixed shape around long
// texts puts its few keys in itself rather than copying the texts into a QJsonObject.
void appendText(QByteArray& out, const QString& text);
struct TextField {
    const char* key;
    const QString& text;
};
// Appends an object of texts as encode() writes it; the keys must come in code-point order.
void appendTextObject(QByteArray& out, std::initializer_list<TextField> fields);
// Appends values already encoded as one array.
void appendArray(QByteArray& out, const QList<QByteArray>& encodedValues);

// The document of `bytes`, every text exactly as written; nothing when the bytes are not strict
// UTF-8 or not JSON. Qt's reader alone drops a U+FEFF that opens a text.
std::optional<QJsonDocument> decode(const QByteArray& bytes);

}  // namespace SortedJson
}  // namespace lumivex
