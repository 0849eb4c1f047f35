#pragma once

#include "model/library.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <optional>
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
        std::vector<Row> rows;
        // A click on the row of this value, in a property's section. One for the section, not
        // one per row: a property may have thousands of values.
        std::function<void(const QString& value)> choose;

        // The same title, property, rename button, hint and spacing: the section's rows can
        // follow the other's in place. The property's options are not compared.
        bool sameHeading(const Section& other) const;
    };

    static SidebarPlan of(LumivexStore& store, WindowState& state);

    std::vector<Section> sections;
};

}  // namespace lumivex
