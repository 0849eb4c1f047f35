#pragma once

#include "model/library.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace lumivex {

class LumivexStore;
class WindowState;

// What the sidebar's sections show for the store's present state: the library's kinds with the
// length rows and one section per property with its values, each row with its count, highlight
// and click. Rows of the same shape differ only in counts and highlights, which a shown row can
// take in place, so an edit that changes a count or adds a value rebuilds no shown row. Main
// thread.
struct SidebarPlan {
    struct Row {
        QString title;
        QString icon;
        std::optional<qsizetype> count;  // none: the custom length row
        bool selected = false;
        bool nested = false;           // a length row under "영상"
        std::function<void()> action;  // none for a value row: its section chooses the value

        bool sameShape(const Row& other) const;
    };
    struct Section {
        QString title;
        QUuid property;                     // null for the library section
        std::optional<Category> renamable;  // the property, when its name can be changed here
        bool hint = false;                  // a property with no values yet
        int spacing = 0;
        std::vector<Row> rows;  // the library section's rows
        // A property's values with their counts, the chosen one and their symbol, which make its
        // rows. Kept whole rather than as rows, so that a section of thousands of values that did
        // not change is told by comparing them, without making a row.
        QList<std::pair<QString, qsizetype>> values;
        std::optional<QString> chosen;
        QString symbol;
        // A click on the row of this value. One for the section, not one per row.
        std::function<void(const QString& value)> choose;

        qsizetype rowCount() const;
        Row row(qsizetype index) const;
        // The same title, property, rename button, hint and spacing: the section's rows can
        // follow the other's in place. The property's options are not compared.
        bool sameHeading(const Section& other) const;
        // The same rows, told without making them when both are a property's.
        bool sameRows(const Section& other) const;
    };

    static SidebarPlan of(LumivexStore& store, WindowState& state);

    std::vector<Section> sections;
};

}  // namespace lumivex
