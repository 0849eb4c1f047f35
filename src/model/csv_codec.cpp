#include "model/csv_codec.h"

#include "model/catalog_error.h"
#include "platform/utf8.h"

#include <deque>

namespace lumivex::CSVCodec {

namespace {

constexpr char16_t byteOrderMark = 0xFEFF;
constexpr char16_t quote = u'"';
const QString rowEnd = QStringLiteral("\r\n");

// One left-to-right walk over the text. Every character the grammar looks at (quote, comma, CR,
// LF) is a single UTF-16 unit that never occurs inside a surrogate pair, so runs of other
// characters, pairs included, belong to the field whole. A field is a view into the text unless
// it held a doubled quote; only such a field is copied, into storage that lives for its row.
class Reader {
public:
    Reader(QStringView text, const RowVisitor& visit) : text_(text), visit_(visit) {}

    void read() {
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
        if (!fieldIsEmpty() || !row_.empty() || justClosed_) {
            endRow();
        }
    }

private:
    static bool isSpecial(char16_t c) {
        return c == quote || c == u',' || c == u'\r' || c == u'\n';
    }

    bool fieldIsEmpty() const { return copied_ ? copy_.isEmpty() : view_.isEmpty(); }

    void append(QStringView chunk) {
        if (chunk.isEmpty()) {
            return;
        }
        if (!copied_ && view_.isEmpty()) {
            view_ = chunk;
        } else if (!copied_ && view_.data() + view_.size() == chunk.data()) {
            view_ = QStringView(view_.data(), view_.size() + chunk.size());
        } else {
            if (!copied_) {
                copy_ = view_.toString();
                copied_ = true;
            }
            copy_.append(chunk);
        }
    }

    void endField() {
        if (copied_) {
            copies_.push_back(std::move(copy_));
            row_.push_back(copies_.back());
        } else {
            row_.push_back(view_);
        }
        view_ = QStringView();
        copy_ = QString();
        copied_ = false;
    }

    void readQuoted() {
        const qsizetype next = text_.indexOf(quote, position_);
        if (next < 0) {
            append(text_.mid(position_));
            position_ = text_.size();
            return;
        }
        if (next + 1 < text_.size() && text_[next + 1] == quote) {
            // The first quote of the pair stands for itself; the second is skipped.
            append(text_.mid(position_, next + 1 - position_));
            position_ = next + 2;
            return;
        }
        append(text_.mid(position_, next - position_));
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
            endField();
            justClosed_ = false;
            ++position_;
        } else if (c == quote) {
            if (!fieldIsEmpty() || justClosed_ || position_ + 1 == text_.size()) {
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
            append(text_.mid(position_, end - position_));
            position_ = end;
        }
    }

    void endRow() {
        endField();
        visit_(row_);
        row_.clear();
        copies_.clear();
        justClosed_ = false;
    }

    QStringView text_;
    const RowVisitor& visit_;
    qsizetype position_ = 0;
    QStringView view_;
    QString copy_;
    bool copied_ = false;
    std::vector<QStringView> row_;
    std::deque<QString> copies_;
    bool inQuotes_ = false;
    bool justClosed_ = false;
};

QStringView withoutByteOrderMarks(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && text[start] == byteOrderMark) {
        ++start;
    }
    return QStringView(text).mid(start);
}

}  // namespace

Writer::Writer(QString& out) : out_(out) {
    out_.append(byteOrderMark);
}

void Writer::open() {
    if (rowStarted_) {
        out_.append(u',');
    }
    rowStarted_ = true;
    out_.append(quote);
}

void Writer::appendEscaped(QStringView text) {
    qsizetype start = 0;
    for (qsizetype found = text.indexOf(quote); found >= 0;
         found = text.indexOf(quote, found + 1)) {
        out_.append(text.mid(start, found + 1 - start));
        out_.append(quote);
        start = found + 1;
    }
    out_.append(text.mid(start));
}

void Writer::field(QStringView text) {
    open();
    appendEscaped(text);
    out_.append(quote);
}

void Writer::lines(const QStringList& texts) {
    open();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            out_.append(u'\n');
        }
        appendEscaped(texts[i]);
    }
    out_.append(quote);
}

void Writer::latin1(const char* first, const char* last) {
    open();
    out_.append(QLatin1StringView(first, last));
    out_.append(quote);
}

void Writer::endRow() {
    out_.append(rowEnd);
    rowStarted_ = false;
}

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
    Writer writer(out);
    // A table without rows still ends its (empty) text with a line break.
    if (rows.isEmpty()) {
        writer.endRow();
    }
    for (const QStringList& row : rows) {
        for (const QString& field : row) {
            writer.field(field);
        }
        writer.endRow();
    }
    return out;
}

void forEachRow(const QString& text, const RowVisitor& visit) {
    Reader(withoutByteOrderMarks(text), visit).read();
}

void forEachFileRow(const QString& text, const RowVisitor& visit) {
    if (text.endsWith(u',')) {
        throw CatalogError::invalidCSV();
    }
    forEachRow(text, visit);
}

QList<QStringList> decode(const QString& text) {
    QList<QStringList> rows;
    forEachRow(text, [&](const std::vector<QStringView>& fields) {
        QStringList row;
        row.reserve(qsizetype(fields.size()));
        for (const QStringView field : fields) {
            row.append(field.toString());
        }
        rows.append(std::move(row));
    });
    return rows;
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
