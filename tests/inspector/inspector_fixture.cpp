#include "inspector/inspector_fixture.h"

#include "inspector/inspector_slots.h"
#include "inspector/label_editor.h"
#include "inspector/property_option_picker.h"
#include "store/lumivex_store.h"

namespace lumivex::test {

void InspectorTest::SetUp() {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "sub/d.jpg"}) {
        addPhoto(QString::fromLatin1(name));
    }
    makeWindow();
    InspectorSlots::install(*window, *store, {thumbnails, photosThumbnails, *defaults});
    openLibrary();
    MediaQuery query = store->query();
    query.sort = SortOrder::name;
    query.ascending = true;
    store->setQuery(query);
    settle();
}

InspectorView& InspectorTest::inspector() const {
    return *window->findChild<InspectorView*>();
}

Category InspectorTest::category(const QString& name) const {
    for (const Category& candidate : store->library().categories) {
        if (candidate.name == name) {
            return candidate;
        }
    }
    ADD_FAILURE() << "no property " << name.toStdString();
    return {};
}

PropertyOptionPicker& InspectorTest::picker(const QString& property) const {
    LabelEditor* editor = inspector().labelEditor(category(property).id);
    EXPECT_NE(editor, nullptr);
    return *editor->picker();
}

QStringList InspectorTest::values(const QString& filename, const QString& property) const {
    const Labels& labels = item(filename).labels;
    const QString key = category(property).idText();
    return labels.contains(key) ? labels.at(key) : QStringList();
}

QSet<QUuid> InspectorTest::ids(const QStringList& filenames) const {
    QSet<QUuid> result;
    for (const QString& filename : filenames) {
        result.insert(item(filename).id);
    }
    return result;
}

QStringList InspectorTest::undoTitles() const {
    QStringList titles;
    for (const auto& step : store->metadataHistory().undo()) {
        titles.append(step.title);
    }
    return titles;
}

}  // namespace lumivex::test
