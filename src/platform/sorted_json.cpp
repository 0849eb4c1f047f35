#include "platform/sorted_json.h"

#include "platform/utf8.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace lumivex::SortedJson {

namespace {

bool needsEscape(unsigned char c) {
    return c < 0x20 || c == '"' || c == '\\' || c == '/';
}

// Runs of bytes that need no escape are copied whole: most texts are long runs of such bytes.
void appendString(QByteArray& out, const QByteArray& bytes) {
    static constexpr char hex[] = "0123456789abcdef";
    out.append('"');
    const char* const data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype run = 0;
    for (qsizetype at = 0; at < size; ++at) {
        const auto c = static_cast<unsigned char>(data[at]);
        if (!needsEscape(c)) {
            continue;
        }
        out.append(data + run, at - run);
        run = at + 1;
        switch (c) {
            case '"':
                out.append("\\\"");
                break;
            case '\\':
                out.append("\\\\");
                break;
            case '/':
                out.append("\\/");
                break;
            case '\b':
                out.append("\\b");
                break;
            case '\f':
                out.append("\\f");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\t':
                out.append("\\t");
                break;
            default:
                out.append("\\u00");
                out.append(hex[c >> 4]);
                out.append(hex[c & 0xF]);
        }
    }
    out.append(data + run, size - run);
    out.append('"');
}

void appendNumber(QByteArray& out, const QJsonValue& value) {
    char buffer[32];
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, variant.toLongLong()).ptr;
        out.append(buffer, end - buffer);
        return;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number)) {
        out.append("null");
        return;
    }
    // 2^63 is exactly representable; every integral double below it fits a signed 64-bit value.
    constexpr double limit = 9223372036854775808.0;
    char* end = nullptr;
    if (std::trunc(number) == number && number >= -limit && number < limit) {
        end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(number)).ptr;
    } else {
        end = std::to_chars(buffer, buffer + sizeof buffer, number).ptr;
    }
    out.append(buffer, end - buffer);
}

void appendValue(QByteArray& out, const QJsonValue& value);

// In valid UTF-8 these bytes are U+FEFF and nothing else. Qt keeps the character when it comes
// as an escape, and outside a text neither form is JSON.
constexpr char byteOrderMark[] = "\xEF\xBB\xBF";

// `bytes` with every U+FEFF escaped, or nothing when one follows a lone backslash: escaping the
// character itself is not JSON, and "\\ufeff" would make it a text of six characters.
std::optional<QByteArray> withEscapedMarks(const QByteArray& bytes) {
    QByteArray out;
    qsizetype start = 0;
    for (qsizetype found = bytes.indexOf(byteOrderMark); found >= 0;
         found = bytes.indexOf(byteOrderMark, start)) {
        qsizetype backslashes = 0;
        while (found - backslashes > 0 && bytes[found - backslashes - 1] == '\\') {
            ++backslashes;
        }
        if (backslashes % 2 != 0) {
            return std::nullopt;
        }
        out.append(QByteArrayView(bytes).sliced(start, found - start));
        out.append("\\ufeff");
        start = found + 3;
    }
    if (start == 0) {
        return bytes;
    }
    out.append(QByteArrayView(bytes).sliced(start));
    return out;
}

void appendObject(QByteArray& out, const QJsonObject& object) {
    std::vector<std::pair<QByteArray, QJsonValue>> members;
    members.reserve(static_cast<size_t>(object.size()));
    for (auto it = object.begin(); it != object.end(); ++it) {
        members.emplace_back(it.key().toUtf8(), it.value());
    }
    // UTF-8 byte order is code-point order.
    std::sort(members.begin(), members.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    out.append('{');
    bool first = true;
    for (const auto& [key, member] : members) {
        if (!first) {
            out.append(',');
        }
        first = false;
        appendString(out, key);
        out.append(':');
        appendValue(out, member);
    }
    out.append('}');
}

void appendValue(QByteArray& out, const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Bool:
            out.append(value.toBool() ? "true" : "false");
            break;
        case QJsonValue::Double:
            appendNumber(out, value);
            break;
        case QJsonValue::String:
            appendString(out, value.toString().toUtf8());
            break;
        case QJsonValue::Array: {
            out.append('[');
            const QJsonArray array = value.toArray();
            for (qsizetype i = 0; i < array.size(); ++i) {
                if (i > 0) {
                    out.append(',');
                }
                appendValue(out, array[i]);
            }
            out.append(']');
            break;
        }
        case QJsonValue::Object:
            appendObject(out, value.toObject());
            break;
        case QJsonValue::Null:
        case QJsonValue::Undefined:
            out.append("null");
            break;
    }
}

}  // namespace

std::optional<QJsonDocument> decode(const QByteArray& bytes) {
    if (!Utf8::isValid(bytes.constData(), bytes.size())) {
        return std::nullopt;
    }
    const std::optional<QByteArray> escaped = withEscapedMarks(bytes);
    if (!escaped) {
        return std::nullopt;
    }
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(*escaped, &error);
    if (error.error != QJsonParseError::NoError) {
        return std::nullopt;
    }
    return document;
}

QByteArray encode(const QJsonValue& value) {
    QByteArray out;
    appendValue(out, value);
    return out;
}

void appendText(QByteArray& out, const QString& text) {
    appendString(out, text.toUtf8());
}

void appendTextObject(QByteArray& out, std::initializer_list<TextField> fields) {
    qsizetype size = 2;
    for (const TextField& field : fields) {
        size += qsizetype(std::strlen(field.key)) + 4 + 3 * field.text.size();
    }
    out.reserve(out.size() + size);
    char opening = '{';
    for (const TextField& field : fields) {
        out.append(std::exchange(opening, ',')).append('"').append(field.key).append("\":");
        appendText(out, field.text);
    }
    out.append(fields.size() == 0 ? "{}" : "}");
}

void appendArray(QByteArray& out, const QList<QByteArray>& encodedValues) {
    qsizetype size = 2;
    for (const QByteArray& value : encodedValues) {
        size += value.size() + 1;
    }
    out.reserve(out.size() + size);
    out.append('[');
    for (qsizetype i = 0; i < encodedValues.size(); ++i) {
        if (i > 0) {
            out.append(',');
        }
        out.append(encodedValues[i]);
    }
    out.append(']');
}

}  // namespace lumivex::SortedJson
