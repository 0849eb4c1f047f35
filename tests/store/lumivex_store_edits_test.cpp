#include "store/store_fixture.h"

#include "store/long_work.h"

#include <QFile>

namespace lumivex::test {
namespace {

using namespace Qt::StringLiterals;

class EditsTest : public StoreTest {
protected:
    void SetUp() override {
        makeTree();
        openLibrary();
    }

    Category category(const QString& name) {
        for (const Category& candidate : store->library().categories) {
            if (candidate.name == name) {
                return candidate;
            }
        }
        ADD_FAILURE() << "no property " << name.toStdString();
        return {};
    }

    QStringList values(const QString& filename, const QString& property) {
        const MediaItem& found = item(filename);
        const QString key = category(property).idText();
        return found.labels.contains(key) ? found.labels.at(key) : QStringList();
    }

    qsizetype undoSteps() const { return store->metadataHistory().undo().size(); }
};

TEST_F(EditsTest, LabelsAreTrimmedCheckedAndMatchOfferedOptions) {
    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("sub/c.png")}));
    store->addLabel(QStringLiteral("  Sea \n"), category(QStringLiteral("태그")));
    EXPECT_EQ(values(QStringLiteral("a.jpg"), QStringLiteral("태그")), QStringList{u"Sea"_s});
    EXPECT_EQ(values(QStringLiteral("sub/c.png"), QStringLiteral("태그")), QStringList{u"Sea"_s});
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("분류 정보 변경 실행 취소"));
    EXPECT_TRUE(category(QStringLiteral("태그")).options.contains(QStringLiteral("Sea")));

    store->addLabel(QStringLiteral("sea"), category(QStringLiteral("태그")));
    EXPECT_EQ(values(QStringLiteral("a.jpg"), QStringLiteral("태그")), QStringList{u"Sea"_s});
    EXPECT_EQ(undoSteps(), 1) << "the offered option's case wins, so nothing changed";

    store->addLabel(QStringLiteral("Sky"), category(QStringLiteral("태그")));
    EXPECT_EQ(values(QStringLiteral("a.jpg"), QStringLiteral("태그")),
              (QStringList{u"Sea"_s, u"Sky"_s}));

    store->addLabel(QStringLiteral("Se\na"), category(QStringLiteral("태그")));
    EXPECT_EQ(store->error(), QStringLiteral("옵션 이름은 한 줄로 입력해주세요."));
    store->addLabel(QStringLiteral("   "), category(QStringLiteral("태그")));
    EXPECT_EQ(undoSteps(), 2);

    store->addLabel(QStringLiteral("Seoul"), category(QStringLiteral("위치")));
    store->addLabel(QStringLiteral("Busan"), category(QStringLiteral("위치")));
    EXPECT_EQ(values(QStringLiteral("a.jpg"), QStringLiteral("위치")), QStringList{u"Busan"_s});
}

TEST_F(EditsTest, RemovingAndClearingValues) {
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->addLabel(QStringLiteral("Sea"), category(QStringLiteral("태그")));
    store->removeLabel(QStringLiteral("Sea"), category(QStringLiteral("태그")));
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("태그 변경 실행 취소"));
    const QString key = category(QStringLiteral("태그")).idText();
    ASSERT_TRUE(item(QStringLiteral("a.jpg")).labels.contains(key));
    EXPECT_TRUE(item(QStringLiteral("a.jpg")).labels.at(key).isEmpty());
    store->clearLabels(category(QStringLiteral("태그")));
    EXPECT_FALSE(item(QStringLiteral("a.jpg")).labels.contains(key));
    EXPECT_EQ(undoSteps(), 3);

    store->setSelection({});
    store->addLabel(QStringLiteral("Sea"), category(QStringLiteral("태그")));
    store->setRating(3);
    EXPECT_EQ(undoSteps(), 3) << "nothing selected, nothing changed";
}

TEST_F(EditsTest, RatingByItemChecksItsInput) {
    const QUuid id = item(QStringLiteral("b.jpg")).id;
    EXPECT_FALSE(store->setRating(6, id));
    EXPECT_FALSE(store->setRating(-1, id));
    EXPECT_TRUE(store->setRating(0, id));
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_TRUE(store->setRating(5, id));
    EXPECT_EQ(item(QStringLiteral("b.jpg")).rating, 5);
    EXPECT_FALSE(store->setRating(2, QUuid::createUuid()));

    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(9);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 5) << "the menu commands clamp";
}

// A rating key edits the one selected item, which the browse snapshot places when it is built,
// and no other item.
TEST_F(EditsTest, TheOneSelectedItemAndNoOtherIsRatedWithOrWithoutTheSnapshot) {
    QHash<QUuid, std::int64_t> expected;
    for (const MediaItem& item : store->library().items) {
        expected.insert(item.id, item.rating);
    }
    for (const bool built : {false, true}) {
        for (qsizetype index = 0; index < store->library().items.size(); ++index) {
            const MediaItem& chosen = store->library().items.at(index);
            if (!chosen.available) {
                continue;
            }
            const QUuid id = chosen.id;
            store->setSelection({id});
            if (built) {
                ASSERT_TRUE(store->browseSnapshot().positions.contains(id));
            }
            expected[id] = (expected[id] + 1) % 6;
            store->setRating(int(expected[id]));
            for (const MediaItem& item : store->library().items) {
                EXPECT_EQ(item.rating, expected.value(item.id)) << item.filename.toStdString();
            }
        }
    }
}

TEST_F(EditsTest, NotesAreStoredAsTyped) {
    const QUuid id = item(QStringLiteral("a.jpg")).id;
    store->setNotes(QStringLiteral(" two\nlines "), id);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral(" two\nlines "));
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("메모 변경 실행 취소"));
    store->setNotes(QStringLiteral(" two\nlines "), id);
    EXPECT_EQ(undoSteps(), 1);
}

TEST_F(EditsTest, AddingPropertiesRefusesDuplicatesAndTheRatingName) {
    EXPECT_FALSE(store->addCategory(QStringLiteral("사람"), PropertyKind::singleSelect));
    EXPECT_EQ(store->error(), QStringLiteral("같은 이름의 속성 또는 별점 속성이 이미 있습니다."));
    store->setError(std::nullopt);
    EXPECT_FALSE(store->addCategory(QStringLiteral("  "), PropertyKind::singleSelect));
    EXPECT_FALSE(store->addCategory(QStringLiteral("점수"), PropertyKind::rating));
    EXPECT_FALSE(store->error());

    EXPECT_TRUE(store->addCategory(QStringLiteral(" Mood "), PropertyKind::singleSelect));
    EXPECT_EQ(category(QStringLiteral("Mood")).kind, PropertyKind::singleSelect);
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("속성 추가 실행 취소"));
    EXPECT_FALSE(store->addCategory(QStringLiteral("mood"), PropertyKind::multiSelect));

    // Where the current folder shows no rating property, the name still never reuses it.
    store->selectFolderFilter(QStringLiteral("nowhere"));
    const Library before = store->library();
    EXPECT_FALSE(store->addCategory(QStringLiteral("별점"), PropertyKind::multiSelect));
    EXPECT_EQ(store->library(), before);
}

TEST_F(EditsTest, RemovingAPropertyInTheRootFolderKeepsSubfolderValues) {
    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("sub/c.png")}));
    store->addLabel(QStringLiteral("Sea"), category(QStringLiteral("태그")));
    const Category tags = category(QStringLiteral("태그"));
    store->removeCategory(tags);
    EXPECT_TRUE(values(QStringLiteral("a.jpg"), QStringLiteral("태그")).isEmpty());
    EXPECT_EQ(values(QStringLiteral("sub/c.png"), QStringLiteral("태그")), QStringList{u"Sea"_s});
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("속성 삭제 실행 취소"));

    store->removeCategory(*store->library().ratingProperty());
    EXPECT_TRUE(store->library().ratingProperty());
}

TEST_F(EditsTest, MovingAPropertyNeverCrossesTheRatingProperty) {
    const QList<Category> before = store->editableProperties();
    ASSERT_GE(before.size(), 3);
    store->moveCategory(before[1], -1);
    store->moveCategory(before.last(), 1);
    EXPECT_EQ(store->editableProperties(), before);
    store->moveCategory(before[1], 1);
    const QList<Category> after = store->editableProperties();
    EXPECT_EQ(after[1].name, before[2].name);
    EXPECT_EQ(after[2].name, before[1].name);
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("속성 순서 변경 실행 취소"));
}

TEST_F(EditsTest, RenamingOptionsFollowsTheFilterAndRefusesDuplicates) {
    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    store->addLabel(QStringLiteral("Sea"), category(QStringLiteral("태그")));
    store->setSelection(ids({QStringLiteral("b.jpg")}));
    store->addLabel(QStringLiteral("Sky"), category(QStringLiteral("태그")));
    const QString key = category(QStringLiteral("태그")).idText();
    MediaQuery query = store->query();
    query.facets[key] = QStringLiteral("Sea");
    store->setQuery(query);

    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    store->renameOption(QStringLiteral("Sea"), QStringLiteral("SKY"),
                        category(QStringLiteral("태그")));
    EXPECT_EQ(store->error(), QStringLiteral("같은 이름의 옵션이 이미 있습니다."));
    store->renameOption(QStringLiteral("Sea"), QStringLiteral("a\nb"),
                        category(QStringLiteral("태그")));
    EXPECT_EQ(store->error(), QStringLiteral("옵션 이름은 한 줄로 입력해주세요."));

    store->renameOption(QStringLiteral("Sea"), QStringLiteral("Ocean "),
                        category(QStringLiteral("태그")));
    EXPECT_EQ(store->query().facets.at(key), QStringLiteral("Ocean"));
    EXPECT_EQ(values(QStringLiteral("b.jpg"), QStringLiteral("태그")),
              (QStringList{u"Ocean"_s, u"Sky"_s}));
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("옵션 이름 변경 실행 취소"));
    store->renameOption(QStringLiteral("Ocean"), QStringLiteral("OCEAN"),
                        category(QStringLiteral("태그")));
    EXPECT_EQ(store->query().facets.at(key), QStringLiteral("OCEAN"));

    store->moveOption(QStringLiteral("Sky"), QStringLiteral("Sky"),
                      category(QStringLiteral("태그")));
    store->moveOption(QStringLiteral("Sky"), QStringLiteral("none"),
                      category(QStringLiteral("태그")));
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("옵션 이름 변경 실행 취소"));
    store->moveOption(QStringLiteral("Sky"), QStringLiteral("OCEAN"),
                      category(QStringLiteral("태그")));
    EXPECT_EQ(category(QStringLiteral("태그")).options, (QStringList{u"Sky"_s, u"OCEAN"_s}));

    store->deleteOption(QStringLiteral("OCEAN"), category(QStringLiteral("태그")));
    EXPECT_FALSE(store->query().facets.contains(key));
    EXPECT_EQ(values(QStringLiteral("b.jpg"), QStringLiteral("태그")), QStringList{u"Sky"_s});
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("옵션 삭제 실행 취소"));
}

// Values first given since the tree was read are declared in the folder's file but not yet in the
// schema the store holds; a move among them must still reach the file, the sidebar's list and a
// reopened library.
TEST_F(EditsTest, MovingAnOptionGivenSinceTheOpenReachesTheFolderAndTheSidebar) {
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->addLabel(QStringLiteral("Sea"), category(QStringLiteral("태그")));
    store->addLabel(QStringLiteral("Sky"), category(QStringLiteral("태그")));
    store->moveOption(QStringLiteral("Sky"), QStringLiteral("Sea"),
                      category(QStringLiteral("태그")));
    const QStringList moved{u"Sky"_s, u"Sea"_s};
    const auto shown = [&] {
        QStringList titles;
        for (const auto& [value, count] :
             store->folderScope().snapshot.labels.at(category(QStringLiteral("태그")).id)) {
            titles.append(value);
        }
        return titles;
    };
    EXPECT_EQ(store->propertyOptions(category(QStringLiteral("태그"))), moved);
    EXPECT_EQ(shown(), moved);

    openLibrary();
    EXPECT_EQ(store->propertyOptions(category(QStringLiteral("태그"))), moved);
    EXPECT_EQ(shown(), moved);
}

TEST_F(EditsTest, RenamingAPropertyChangesOnlyTheCurrentFolder) {
    const Category people = category(QStringLiteral("사람"));
    using Outcome = LumivexStore::RenameOutcome;
    EXPECT_EQ(store->renameCategory(people, QStringLiteral("위치")), Outcome::duplicate);
    EXPECT_EQ(store->error(), QStringLiteral("같은 이름의 분류가 이미 있습니다."));
    EXPECT_EQ(store->renameCategory(people, QStringLiteral("   ")), Outcome::unchanged);
    // The refusal's text stays published; the outcome says this rename went through.
    EXPECT_EQ(store->renameCategory(people, QStringLiteral("Friends")), Outcome::renamed);
    EXPECT_TRUE(store->error());
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("속성 이름 변경 실행 취소"));
    bool renamed = false;
    for (const Category& shown : store->editableProperties()) {
        renamed = renamed || shown.name == QStringLiteral("Friends");
    }
    EXPECT_TRUE(renamed);
}

TEST_F(EditsTest, AFolderOfTheLibraryOpensInTheFileManager) {
    store->showFolder(QString());
    store->showFolder(QStringLiteral("sub"));
    EXPECT_EQ(shell.opened, (QStringList{library, at(QStringLiteral("sub"))}));
}

class LongWorkTest : public StoreTest {};

// The desktop learns of an edit of many items before its save and until its end, so the window
// shows that it cannot answer; a rating of one item never tells it, so culling by keys never
// flashes the pointer.
TEST_F(LongWorkTest, OnlyAnEditOfManyItemsIsLongWork) {
    for (qsizetype index = 0; index < LongWork::longItems; ++index) {
        ASSERT_TRUE(QFile(at(QStringLiteral("%1.jpg").arg(index))).open(QIODevice::WriteOnly));
    }
    openLibrary();
    int openWhilePublished = 0;
    QObject::connect(store.get(), &LumivexStore::libraryChanged,
                     [&] { openWhilePublished = shell.longWorkOpen; });
    shell.longWorkBegun = 0;
    store->setSelection({store->library().items.first().id});
    store->setRating(3);
    ASSERT_EQ(store->library().items.first().rating, 3);
    EXPECT_EQ(shell.longWorkBegun, 0);
    store->selectAllVisible();
    store->addLabel(QStringLiteral("bulk-a"), store->library().categories.last());
    EXPECT_EQ(shell.longWorkBegun, 1);
    EXPECT_EQ(openWhilePublished, 1);
    EXPECT_EQ(shell.longWorkOpen, 0);
}

}  // namespace
}  // namespace lumivex::test
