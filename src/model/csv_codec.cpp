#include "model/csv_codec.h"

#include "model/catalog_error.h"
#include "platform/utf8.h"

namespace lumivex::CSVCodec {

namespace {

constexpr char16_t byteOrderMark = 0xFEFF;
constexpr char16_t quote = u'"';
const QString rowEnd = QStringLiteral("\r\n");

void appendQuoted(QString& out, const QString& field) {
    out.append(quote);
    qsizetype start = 0;
    for (qsizetype found = field.indexOf(quote); found >= 0;
         found = field.indexOf(quote, found + 1)) {
        out.append(QStringView(field).mid(start, found + 1 - start));
        out.append(quote);
        start = found + 1;
    }
    out.append(QStringView(field).mid(start));
    out.append(quote);
}

// One left-to-right walk over the text. Every character the grammar looks at (quote, comma, CR,
// LF) is a single UTF-16 unit that never occurs inside a surrogate pair, so runs of other
// characters, pairs included, are copied to the field whole.
class Reader {
public:
    explicit Reader(QStringView text) : text_(text) {}

    QList<QStringList> read() {
        while (position_ < text_.size()) {
            if (inQuotes_) {
                readQuoted();
            } else {
                readUnquoted();
            }
        }
        if (inQuotes_) {
            throw CatalogError::invalidCSV();
        }
        if (!field_.isEmpty() || !row_.isEmpty() || justClosed_) {
            endRow();
        }
        return std::move(rows_);
    }

private:
    static bool isSpecial(char16_t c) {
        return c == quote || c == u',' || c == u'\r' || c == u'\n';
    }

    void readQuoted() {
        const qsizetype next = text_.indexOf(quote, position_);
        if (next < 0) {
            field_.append(text_.mid(position_));
            position_ = text_.size();
            return;
        }
        field_.append(text_.mid(position_, next - position_));
        if (next + 1 < text_.size() && text_[next + 1] == quote) {
            field_.append(quote);
            position_ = next + 2;
            return;
        }
        inQuotes_ = false;
        justClosed_ = true;
        position_ = next + 1;
    }

    void readUnquoted() {
        const char16_t c = text_[position_].unicode();
        if (c == u'\n' || c == u'\r') {
            endRow();
            position_ +=
                (c == u'\r' && position_ + 1 < text_.size() && text_[position_ + 1] == u'\n') ? 2
                                                                                              : 1;
        } else if (c == u',') {
            row_.append(std::move(field_));
            field_ = QString();
            justClosed_ = false;
            ++position_;
        } else if (c == quote) {
            if (!field_.isEmpty() || justClosed_ || position_ + 1 == text_.size()) {
                throw CatalogError::invalidCSV();
            }
            inQuotes_ = true;
            ++position_;
        } else {
            if (justClosed_) {
                throw CatalogError::invalidCSV();
            }
            qsizetype end = position_ + 1;
            while (end < text_.size() && !isSpecial(text_[end].unicode())) {
                ++end;
            }
            field_.append(text_.mid(position_, end - position_));
            position_ = end;
        }
    }

    void endRow() {
        row_.append(std::move(field_));
        const qsizetype width = row_.size();
        rows_.append(std::move(row_));
        field_ = QString();
        // Rows of one file are usually as wide as the one before.
        row_ = QStringList();
        row_.reserve(width);
        justClosed_ = false;
    }

    QStringView text_;
    qsizetype position_ = 0;
    QString field_;
    QStringList row_;
    QList<QStringList> rows_;
    bool inQuotes_ = false;
    bool justClosed_ = false;
};

}  // namespace

QString encode(const QList<QStringList>& rows) {
    qsizetype length = 3;
    for (const QStringList& row : rows) {
        length += 2 + 3 * row.size();
        for (const QString& field : row) {
            length += field.size();
        }
    }
    QString out;
    out.reserve(length);
    out.append(byteOrderMark);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (r > 0) {
            out.append(rowEnd);
        }
        const QStringList& row = rows[r];
        for (qsizetype f = 0; f < row.size(); ++f) {
            if (f > 0) {
                out.append(u',');
            }
            appendQuoted(out, row[f]);
        }
    }
    out.append(rowEnd);
    return out;
}

QList<QStringList> decode(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && text[start] == byteOrderMark) {
        ++start;
    }
    return Reader(QStringView(text).mid(start)).read();
}

QList<QStringList> decodeFile(const QString& text) {
    if (text.endsWith(u',')) {
        throw CatalogError::invalidCSV();
    }
    return decode(text);
}

QString text(const QByteArray& fileBytes) {
    auto decoded = Utf8::decode(fileBytes);
    if (!decoded) {
        throw CatalogError::invalidCSV();
    }
    return std::move(*decoded);
}

}  // namespace lumivex::CSVCodec
