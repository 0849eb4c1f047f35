#include "store/store_fixture.h"

#include "catalog/folder_catalog.h"

namespace lumivex::test {
namespace {

class ViewsTest : public StoreTest {
protected:
    void SetUp() override {
        makeTree();
        openLibrary();
    }
    Category shownAs(const QString& name) {
        for (const Category& category : store->folderScope().library.categories) {
            if (category.name == name) {
                return category;
            }
        }
        ADD_FAILURE() << "no property " << name.toStdString();
        return {};
    }
};

TEST_F(ViewsTest, CachesAreKeptUntilTheirInputsAreAssigned) {
    const LibraryBrowseSnapshot* snapshot = &store->browseSnapshot();
    const QList<QUuid> order = store->visibleOrder();
    MediaQuery query = store->query();
    query.search = QStringLiteral("zzz");
    store->setQuery(query);
    EXPECT_EQ(&store->browseSnapshot(), snapshot);
    EXPECT_TRUE(store->visibleOrder().isEmpty());
    query.search.clear();
    store->setQuery(query);
    EXPECT_EQ(store->visibleOrder(), order);

    store->setSelection({});
    EXPECT_TRUE(store->selectedItems().isEmpty());
    EXPECT_FALSE(store->selectedRating());
    EXPECT_EQ(store->videoCount(VideoDurationPreset::underOne), 0);
}

TEST_F(ViewsTest, FolderScopeFollowsTheFolderFilterAndDropsFiltersTheScopeLacks) {
    EXPECT_EQ(store->folderScope().snapshot.items.size(), 3);
    store->selectFolderFilter(QStringLiteral("sub"));
    EXPECT_EQ(store->folderScope().snapshot.items.size(), 1);
    EXPECT_EQ(store->visibleItems().size(), 1);
    store->selectFolderFilter(QString());
    EXPECT_EQ(store->folderScope().snapshot.items.size(), 2) << "the root folder alone";

    store->selectFolderFilter(std::nullopt);
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    const Category tags = shownAs(QStringLiteral("태그"));
    store->addLabel(QStringLiteral("Sea"), tags);
    MediaQuery query = store->query();
    query.facets[tags.idText()] = QStringLiteral("Sea");
    query.emptyFacets.insert(QStringLiteral("11111111-1111-1111-1111-111111111111"));
    query.sortCategory = tags;
    store->setQuery(query);
    store->selectFolderFilter(QStringLiteral("sub"));
    EXPECT_TRUE(store->query().facets.empty()) << "nothing in sub carries Sea";
    EXPECT_TRUE(store->query().emptyFacets.isEmpty());
    EXPECT_EQ(store->query().folderPath, QStringLiteral("sub"));
}

TEST_F(ViewsTest, ScopesOfTheSelectionAndOfThePhotoLibrary) {
    store->setSelection(ids({QStringLiteral("sub/c.png")}));
    EXPECT_EQ(store->optionFolders(), QSet<QString>{QStringLiteral("sub")});
    store->setSelection({});
    EXPECT_EQ(store->optionFolders(), QSet<QString>{});
    EXPECT_EQ(store->editorScope(), store->folderScope().library);
    EXPECT_EQ(store->canReplayMetadata(), true);

    store->connectPhotos();
    settle();
    ASSERT_EQ(store->source(), LibrarySource::photos);
    EXPECT_FALSE(store->optionFolders());
    EXPECT_EQ(store->editableProperties(), store->library().categories);
    const Category tags = store->library().categories.last();
    EXPECT_EQ(store->propertySelectionKinds(tags), QSet<PropertyKind>{tags.kind});
}

}  // namespace
}  // namespace lumivex::test

namespace lumivex::test {
namespace {

using SelectedItemsTest = StoreTest;

// Selected items come in browse order whether a few are looked up or many are walked.
TEST_F(SelectedItemsTest, AreInBrowseOrderForFewManyAndAll) {
    for (int i = 0; i < 10; ++i) {
        addPhoto(QStringLiteral("p%1.jpg").arg(i));
    }
    openLibrary();
    const MediaItems& browse = store->browseSnapshot().items;
    ASSERT_EQ(browse.size(), 10);
    const auto filenames = [](const MediaItems& items) {
        QStringList names;
        for (const MediaItem& item : items) {
            names.append(item.filename);
        }
        return names;
    };

    store->setSelection({browse[7].id});
    EXPECT_EQ(filenames(store->selectedItems()), QStringList{browse[7].filename});

    store->setSelection({browse[8].id, browse[1].id, browse[5].id, QUuid::createUuid()});
    EXPECT_EQ(filenames(store->selectedItems()),
              (QStringList{browse[1].filename, browse[5].filename, browse[8].filename}));

    store->selectAllVisible();
    EXPECT_EQ(filenames(store->selectedItems()), filenames(browse));
}

}  // namespace
}  // namespace lumivex::test

namespace lumivex::test {
namespace {

using namespace Qt::StringLiterals;

// The selection's reads find the selected folders' items through the snapshot; each must give
// what the walk over the whole library gives. "Mood" is single choice in x and multiple choice in
// y; the folder "café" is spelt decomposed on disk.
class SelectionScopeTest : public StoreTest {
protected:
    void SetUp() override {
        for (const QString& name : {u"a.jpg"_s, u"x/1.jpg"_s, u"x/2.jpg"_s, u"y/3.jpg"_s,
                                    u"y/deep/4.jpg"_s, decomposed + u"/5.jpg"_s, u"z/6.jpg"_s}) {
            addPhoto(name);
        }
        openLibrary();
        for (const auto& [folder, kind] : {std::pair{u"x"_s, PropertyKind::singleSelect},
                                           std::pair{u"y"_s, PropertyKind::multiSelect}}) {
            store->selectFolderFilter(folder);
            ASSERT_TRUE(store->addCategory(u"Mood"_s, kind));
        }
        store->selectFolderFilter(std::nullopt);
        settle();
        select({u"x/1.jpg"_s});
        store->addLabel(u"calm"_s, mood());
        select({u"y/3.jpg"_s});
        store->addLabel(u"loud"_s, mood());
        store->addLabel(u"calm"_s, mood());
        store->setRating(4);
    }

    Category mood() {
        for (const Category& category : store->library().categories) {
            if (category.name == u"Mood"_s) {
                return category;
            }
        }
        ADD_FAILURE() << "no Mood";
        return {};
    }
    void select(const QStringList& names) { store->setSelection(ids(names)); }

    // The selection's reads against the walk over the whole library.
    void expectWalkResults() {
        const Library& whole = store->library();
        QSet<QString> folders;
        QSet<std::int64_t> ratings;
        for (const MediaItem& item : store->selectedItems()) {
            folders.insert(item.folder());
            ratings.insert(item.rating);
        }
        EXPECT_EQ(store->editorScope(), FolderCatalog::displayLibrary(whole, folders));
        EXPECT_EQ(store->optionFolders(), folders);
        EXPECT_EQ(store->selectedRating(),
                  ratings.size() == 1 ? std::optional(*ratings.begin()) : std::nullopt);
        for (const Category& category : store->editorScope().categories) {
            QSet<PropertyKind> kinds;
            for (const MediaItem& item : store->selectedItems()) {
                kinds.insert(FolderCatalog::selectionKind(category, item.folder(), whole));
            }
            EXPECT_EQ(store->propertySelectionKinds(category), kinds)
                << category.name.toStdString();
        }
    }

    const QString decomposed = u"cafe\u0301"_s;
};

TEST_F(SelectionScopeTest, ReadsOfMixedSelectionsEqualTheWalkOverTheLibrary) {
    const QList<QStringList> selections{
        {u"x/1.jpg"_s},
        {u"x/1.jpg"_s, u"y/3.jpg"_s},
        {u"a.jpg"_s, u"x/2.jpg"_s, u"y/deep/4.jpg"_s},
        {decomposed + u"/5.jpg"_s, u"z/6.jpg"_s},
        {u"a.jpg"_s, u"x/1.jpg"_s, u"x/2.jpg"_s, u"y/3.jpg"_s, u"y/deep/4.jpg"_s,
         decomposed + u"/5.jpg"_s, u"z/6.jpg"_s},
    };
    for (const QStringList& names : selections) {
        SCOPED_TRACE(names.join(u',').toStdString());
        select(names);
        expectWalkResults();
    }
    select({u"x/1.jpg"_s, u"y/3.jpg"_s});
    EXPECT_EQ(store->propertySelectionKinds(mood()),
              (QSet<PropertyKind>{PropertyKind::singleSelect, PropertyKind::multiSelect}));
}

// An edit in place keeps the snapshot and its folder groups; one that changes the schemas or
// the items makes them again. Either way the reads stay those of the walk.
TEST_F(SelectionScopeTest, ReadsAfterEditsEqualTheWalkOverTheLibrary) {
    select({u"x/2.jpg"_s, u"y/3.jpg"_s});
    expectWalkResults();
    store->setRating(2);
    expectWalkResults();
    store->addLabel(u"new"_s, mood());
    expectWalkResults();
    store->undoMetadata();
    select({u"x/2.jpg"_s, u"y/3.jpg"_s, u"z/6.jpg"_s});
    expectWalkResults();
    addPhoto(u"z/7.jpg"_s);
    store->rescan(false);
    settle();
    select({u"z/6.jpg"_s, u"z/7.jpg"_s, u"x/1.jpg"_s});
    ASSERT_EQ(store->selectedItems().size(), 3);
    expectWalkResults();
}

}  // namespace
}  // namespace lumivex::test
