#pragma once

#include "model/library.h"

#include <QStringView>

#include <memory>
#include <vector>

namespace lumivex {

// Reads a catalog handed over row by row, each row as views of its fields, by the rules of
// Library::fromCatalogCSV: the first row is the header, and any fault refuses the whole text.
// For files whose rows hold a catalog's columns among others. Any thread; one reader per text.
class CatalogCSVReader {
public:
    CatalogCSVReader();
    ~CatalogCSVReader();
    CatalogCSVReader(const CatalogCSVReader&) = delete;
    CatalogCSVReader& operator=(const CatalogCSVReader&) = delete;

    // Room for this many rows, to spare regrowing the item list.
    void reserve(qsizetype rowCount);
    void read(const std::vector<QStringView>& row);
    // The library of the rows read; throws when not even a header came.
    Library finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace lumivex
