#pragma once

#include "model/library.h"

#include <QStringList>

namespace lumivex::test {

// A small catalog library: the rating property, a multiple-choice "사람" and a single-choice
// "위치", one photo with values, a long note and a capture date, one missing video.
Library sampleLibrary();

// The rows of a valid catalog with a meta row and one item, for tests that spoil one cell.
QList<QStringList> validCatalogRows();

// Whether reading `rows` as a catalog is refused with CatalogError::invalidCSV.
bool catalogRefused(const QList<QStringList>& rows);
bool catalogRefused(const QString& text);

}  // namespace lumivex::test
