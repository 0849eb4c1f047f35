#pragma once

#include "browser/window_fixture.h"
#include "inspector/inspector_view.h"

namespace lumivex {
class PropertyOptionPicker;
}

namespace lumivex::test {

// The main window with the inspector's views in its slots, over a library of a.jpg, b.jpg,
// c.jpg and sub/d.jpg sorted by name.
class InspectorTest : public WindowTest {
protected:
    void SetUp() override;

    InspectorView& inspector() const;
    Category category(const QString& name) const;
    PropertyOptionPicker& picker(const QString& property) const;
    QStringList values(const QString& filename, const QString& property) const;
    QSet<QUuid> ids(const QStringList& filenames) const;
    // The undo titles, oldest first.
    QStringList undoTitles() const;
};

}  // namespace lumivex::test
