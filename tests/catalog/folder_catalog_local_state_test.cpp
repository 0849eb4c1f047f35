#include "catalog/folder_catalog.h"
#include "tree_fixture.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using namespace test;

// A merged state of one root and one subfolder "sub", as a load would give it, whose folders
// own properties with identifiers of their own.
struct MergedTree {
    Category displayPeople = property(QStringLiteral("사람"), PropertyKind::multiSelect);
    Category displayPlace = property(QStringLiteral("위치"), PropertyKind::singleSelect);
    Category subPeople =
        property(QStringLiteral("사람"), PropertyKind::multiSelect, {QStringLiteral("민수")});
    Category subPlace = property(QStringLiteral("위치"), PropertyKind::singleSelect);
    LibraryState state;

    MergedTree() {
        state.library = Library::withContents({displayPeople, displayPlace}, {});
        state.library.catalogProperties = state.library.categories;
        state.library.folderSchemas[QString()] = {{displayPeople, displayPlace},
                                                  {{displayPeople.idText(), displayPeople.idText()},
                                                   {displayPlace.idText(), displayPlace.idText()}}};
        state.library.folderSchemas[QStringLiteral("sub")] = {
            {subPeople, subPlace},
            {{subPeople.idText(), displayPeople.idText()},
             {subPlace.idText(), displayPlace.idText()}}};
        state.deleted.categories = state.library.categories;
    }

    LibraryState local(const QString& path, QList<MediaItem> items,
                       QList<DeletedRecord> records = {},
                       LibraryState existing = {Library::withContents({}, {}), {}}) const {
        return FolderCatalog::localState(state, path, existing, items, records);
    }
};

QStringList names(const QList<Category>& categories) {
    QStringList result;
    for (const Category& c : categories) {
        result.append(c.name);
    }
    return result;
}

TEST(FolderLocalState, RenamesReachTheFolderAndDeletedPropertiesAndTheirValuesVanish) {
    MergedTree tree;
    tree.state.library.categories[0].name = QStringLiteral("인물");
    tree.state.library.categories.removeAt(1);
    const MediaItem item = treeItem(QStringLiteral("x.jpg"), 0,
                                    {{tree.displayPeople.idText(), {QStringLiteral("민수")}},
                                     {tree.displayPlace.idText(), {QStringLiteral("서울")}}});
    const LibraryState local = tree.local(QStringLiteral("sub"), {item});
    ASSERT_EQ(local.library.categories.size(), 1);
    EXPECT_EQ(local.library.categories[0].id, tree.subPeople.id);
    EXPECT_EQ(local.library.categories[0].name, QStringLiteral("인물"));
    EXPECT_EQ(local.library.items[0].labels,
              (Labels{{tree.subPeople.idText(), {QStringLiteral("민수")}}}));
    EXPECT_FALSE(local.library.includeSubfolders);
    EXPECT_TRUE(local.library.folderSchemas.empty());
}

TEST(FolderLocalState, ANewPropertyGoesToTheRootWithItsOptionsAndToASubfolderOnlyWhenUsed) {
    MergedTree tree;
    const Category tags = property(QStringLiteral("태그"), PropertyKind::multiSelect,
                                   {QStringLiteral("여행"), QStringLiteral("가족")});
    tree.state.library.categories.append(tags);
    EXPECT_EQ(names(tree.local(QString(), {}).library.categories).last(), QStringLiteral("태그"));
    EXPECT_EQ(tree.local(QString(), {}).library.categories.last().options, tags.options);
    EXPECT_FALSE(names(tree.local(QStringLiteral("sub"), {}).library.categories)
                     .contains(QStringLiteral("태그")));

    const MediaItem tagged =
        treeItem(QStringLiteral("x.jpg"), 0, {{tags.idText(), {QStringLiteral("가족")}}});
    const Category added = tree.local(QStringLiteral("sub"), {tagged}).library.categories.last();
    EXPECT_EQ(added.name, QStringLiteral("태그"));
    EXPECT_EQ(added.options, QStringList{QStringLiteral("가족")});
}

TEST(FolderLocalState, ASingleChoiceHeldTwiceBecomesMultipleAndUsedValuesBecomeOptions) {
    MergedTree tree;
    const MediaItem item =
        treeItem(QStringLiteral("x.jpg"), 0,
                 {{tree.displayPlace.idText(), {QStringLiteral("부산"), QStringLiteral("서울")}}});
    const Category place = tree.local(QStringLiteral("sub"), {item}).library.categories[1];
    EXPECT_EQ(place.kind, PropertyKind::multiSelect);
    EXPECT_EQ(place.options, (QStringList{QStringLiteral("부산"), QStringLiteral("서울")}));
}

TEST(FolderLocalState, OnlyAReorderInTheMergedViewReordersTheFolder) {
    MergedTree tree;
    tree.state.library.folderSchemas[QStringLiteral("sub")].properties = {tree.subPlace,
                                                                          tree.subPeople};
    EXPECT_EQ(names(tree.local(QStringLiteral("sub"), {}).library.categories),
              (QStringList{QStringLiteral("위치"), QStringLiteral("사람")}));
    std::swap(tree.state.library.categories[0], tree.state.library.categories[1]);
    tree.state.library.folderSchemas[QStringLiteral("sub")].properties = {tree.subPeople,
                                                                          tree.subPlace};
    EXPECT_EQ(names(tree.local(QStringLiteral("sub"), {}).library.categories),
              (QStringList{QStringLiteral("위치"), QStringLiteral("사람")}));
}

TEST(FolderLocalState, WithoutASchemaTheFolderFilesPropertiesMatchByNameIgnoringCase) {
    MergedTree tree;
    tree.state.library.folderSchemas.clear();
    LibraryState existing{Library::withContents({}, {}), {}};
    Category own = property(QStringLiteral("사람"), PropertyKind::multiSelect);
    Category lost = property(QStringLiteral("없는 속성"), PropertyKind::multiSelect);
    existing.library = Library::withContents({own, lost}, {});
    const LibraryState local = tree.local(QStringLiteral("sub"), {}, {}, existing);
    ASSERT_EQ(local.library.categories.size(), 1);
    EXPECT_EQ(local.library.categories[0].id, own.id);
}

TEST(FolderLocalState, ARecordOfAnArchiveOnlyPropertyTakesTheFolderArchivesOwnProperty) {
    MergedTree tree;
    const Category gone = property(QStringLiteral("옛 속성"), PropertyKind::multiSelect);
    tree.state.deleted.categories.append(gone);
    LibraryState existing{Library::withContents({}, {}), {}};
    const Category archived = property(QStringLiteral("옛 속성"), PropertyKind::multiSelect);
    existing.deleted.categories = {archived};
    MediaItem item =
        treeItem(QStringLiteral("x.jpg"), 0, {{gone.idText(), {QStringLiteral("값")}}});
    item.available = false;
    const LibraryState local = tree.local(QStringLiteral("sub"), {}, {{item, Date{5.0}}}, existing);
    EXPECT_EQ(local.deleted.categories.last().id, archived.id);
    EXPECT_EQ(local.deleted.categories.last().options, QStringList{QStringLiteral("값")});
    EXPECT_EQ(local.deleted.records[0].item.labels,
              (Labels{{archived.idText(), {QStringLiteral("값")}}}));
    EXPECT_FALSE(names(local.library.categories).contains(QStringLiteral("옛 속성")));
}

// A folder copied with its catalog and given a property's new name holds the identifier of a
// display property it lacks; taking that one in needs another identifier, and every save of the
// same state must write the same one, or a save after an undo and a redo rewrites the folder.
TEST(FolderLocalState, APropertyWhoseIdentifierTheFolderHoldsGetsTheSameNewOneEverySave) {
    MergedTree tree;
    Category tags = property(QStringLiteral("태그"), PropertyKind::multiSelect);
    tags.id = tree.subPeople.id;
    tree.state.library.categories.append(tags);
    tree.state.library.catalogProperties = tree.state.library.categories;
    tree.state.deleted.categories = tree.state.library.categories;
    Category gone = property(QStringLiteral("옛 속성"), PropertyKind::multiSelect);
    gone.id = tree.subPlace.id;
    tree.state.deleted.categories.append(gone);
    const MediaItem item =
        treeItem(QStringLiteral("x.jpg"), 0, {{tags.idText(), {QStringLiteral("여행")}}});
    MediaItem record =
        treeItem(QStringLiteral("y.jpg"), 0, {{gone.idText(), {QStringLiteral("값")}}});
    record.available = false;

    const auto ids = [&](const QString& path) {
        const LibraryState local = tree.local(path, {item}, {{record, Date{5.0}}});
        return std::pair(local.library.categories.last(), local.deleted.categories.last());
    };
    const auto [added, archived] = ids(QStringLiteral("sub"));
    EXPECT_EQ(added.name, QStringLiteral("태그"));
    EXPECT_NE(added.id, tree.subPeople.id);
    EXPECT_EQ(archived.name, QStringLiteral("옛 속성"));
    EXPECT_NE(archived.id, tree.subPlace.id);
    EXPECT_NE(archived.id, added.id);
    EXPECT_EQ(ids(QStringLiteral("sub")), std::pair(added, archived));
}

}  // namespace
}  // namespace lumivex
