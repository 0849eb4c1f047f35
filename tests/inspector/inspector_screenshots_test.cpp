#include "inspector/inspector_fixture.h"
#include "inspector/property_option_picker.h"
#include "store/lumivex_store.h"

#include <QLineEdit>
#include <QTest>

namespace lumivex::test {
namespace {

// Pictures of the inspector for a person to look at, in the test program's "screenshots" folder.
class InspectorScreenshotsTest : public InspectorTest {
protected:
    void SetUp() override {
        InspectorTest::SetUp();
        selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
        for (const char* person : {"엄마", "아빠", "Mina"}) {
            store->addLabel(QString::fromUtf8(person), category(QStringLiteral("사람")));
        }
        store->setSelection(ids({QStringLiteral("a.jpg")}));
        store->addLabel(QStringLiteral("바다"), category(QStringLiteral("태그")));
        store->setRating(4);
        store->setNotes(QStringLiteral("여름 휴가 첫날"), item(QStringLiteral("a.jpg")).id);
        settle();
    }
};

TEST_F(InspectorScreenshotsTest, OneItemSeveralItemsThePickerAndTheManager) {
    selectFiles({QStringLiteral("a.jpg")});
    waitForThumbnails();
    screenshot(QStringLiteral("inspector-one-item"));

    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("sub/d.jpg")});
    screenshot(QStringLiteral("inspector-several-items"));

    PropertyOptionPicker& people = picker(QStringLiteral("사람"));
    people.open(true);
    QTest::keyClicks(people.searchField(), QStringLiteral("m"));
    people.moveHighlight(1);
    settle();
    screenshot(QStringLiteral("inspector-option-picker"));
    people.close();

    window->state().setPropertyManager(true);
    settle();
    screenshot(QStringLiteral("inspector-property-manager"));
}

}  // namespace
}  // namespace lumivex::test
