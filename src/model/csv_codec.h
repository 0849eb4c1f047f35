#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

namespace lumivex {

// The comma-separated text of every catalog file: every field quoted, CR LF after every row, a
// leading byte-order mark. Knows nothing of columns. Pure functions, safe on any thread.
namespace CSVCodec {

// Never fails. A row without fields becomes an empty line.
QString encode(const QList<QStringList>& rows);

// The text encode makes, written one field at a time, for writers that would otherwise build a
// table of short-lived fields first.
class Writer {
public:
    // Starts the text with the byte-order mark.
    explicit Writer(QString& out);
    void field(QStringView text);
    // One field holding the texts with a line feed between each two.
    void lines(const QStringList& texts);
    // A field of ASCII characters.
    void latin1(const char* first, const char* last);
    void endRow();

private:
    void open();
    void appendEscaped(QStringView text);

    QString& out_;
    bool rowStarted_ = false;
};

// Throws CatalogError::invalidCSV on malformed quoting; fields are kept verbatim.
QList<QStringList> decode(const QString& text);
// The rows of a whole catalog file. The same, except that a text ending right after a comma is
// refused: every row written ends with a line break and every field is quoted, so such a text was
// cut short before its last field, which would read as empty.
QList<QStringList> decodeFile(const QString& text);

// The same rows one at a time, each field a view that lives until the visitor returns: a reader
// that keeps few of the fields copies only those.
using RowVisitor = std::function<void(const std::vector<QStringView>& fields)>;
void forEachRow(const QString& text, const RowVisitor& visit);
void forEachFileRow(const QString& text, const RowVisitor& visit);

// The text of a catalog file's bytes. Invalid UTF-8 throws CatalogError::invalidCSV: a damaged
// file is refused, never repaired.
QString text(const QByteArray& fileBytes);

}  // namespace CSVCodec
}  // namespace lumivex
