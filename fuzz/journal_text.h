#pragma once

#include <QString>

// Qt's JSON reader drops a byte-order mark that opens a string without escapes; the catalog texts
// a journal carries always hold escaped quotes, and their readers ignore leading marks anyway.
inline QString withoutLeadingMarks(QString text) {
    while (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    return text;
}
