#include "catalog/folder_catalog.h"
#include "store/held_pool.h"
#include "store/query_reconciliation.h"
#include "store/store_fixture.h"
#include "support/snapshot_equality.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <random>

namespace lumivex::test {
namespace {

// A folder library whose views are read after every edit, so that each edit finds them built
// and brings them up to date instead of building them again.
class FollowTest : public StoreTest {
protected:
    void SetUp() override {
        const QStringList folders{QString(), QStringLiteral("x/"), QStringLiteral("x/y/"),
                                  QStringLiteral("z/")};
        for (int i = 0; i < 16; ++i) {
            addPhoto(folders[i % 4] + QStringLiteral("p%1.jpg").arg(i));
        }
        openLibrary();
    }

    Category property(const QString& name) {
        for (const Category& category : store->library().categories) {
            if (category.name == name) {
                return category;
            }
        }
        ADD_FAILURE() << "no property " << name.toStdString();
        return {};
    }

    // Every derived view equals what a build from the published state gives.
    void expectViewsAsBuilt() {
        const Library& shown = store->library();
        const LibraryBrowseSnapshot browse(shown, false);
        expectSameSnapshot(store->browseSnapshot(), browse);
        const std::optional<QString> path = store->query().folderPath;
        std::optional<QSet<QString>> folders;
        if (path) {
            folders = QueryReconciliation::schemaFolders(shown, path);
        }
        const Library scope = FolderCatalog::displayLibrary(shown, folders);
        EXPECT_EQ(store->folderScope().library, scope);
        const LibraryBrowseSnapshot& scopeSnapshot = store->folderScope().snapshot;
        expectSameSnapshot(
            scopeSnapshot,
            LibraryBrowseSnapshot(scope, false, LibraryBrowseSnapshot::Purpose::counts));
        // A scope of the whole library keeps no second table of positions.
        EXPECT_EQ(scopeSnapshot.positions.isSharedWith(store->browseSnapshot().positions),
                  scopeSnapshot.items == store->browseSnapshot().items);
        EXPECT_EQ(store->editableProperties(),
                  FolderCatalog::displayLibrary(shown, QSet<QString>{path.value_or(QString())})
                      .categories);
        QSet<QString> selectedFolders;
        for (const MediaItem& item : shown.items) {
            if (store->selection().contains(item.id)) {
                selectedFolders.insert(item.folder());
            }
        }
        EXPECT_EQ(store->editorProperties(),
                  selectedFolders.isEmpty()
                      ? scope.categories
                      : FolderCatalog::displayLibrary(shown, selectedFolders).categories);
        MediaItems selected;
        for (const MediaItem& item : browse.items) {
            if (store->selection().contains(item.id)) {
                selected.append(item);
            }
        }
        EXPECT_EQ(store->selectedItems(), selected);
        EXPECT_EQ(store->editorScope(), selectedFolders.isEmpty() ? scope
                                                                  : FolderCatalog::displayLibrary(
                                                                        shown, selectedFolders));
        QList<QUuid> order;
        for (const qsizetype position : store->query().positions(browse)) {
            order.append(browse.items[position].id);
        }
        EXPECT_EQ(store->visibleOrder(), order);
    }
};

TEST_F(FollowTest, RandomEditsLeaveTheViewsAsABuildWouldMakeThem) {
    std::mt19937 random(5);
    // Queries that read ratings, notes, values, or none of them: the visible order of each is
    // kept or made again after an edit.
    QList<MediaQuery> queries(4);
    queries[0].sort = SortOrder::rating;
    queries[1].search = QStringLiteral("메모 1");
    queries[2].minimumRating = 2;
    queries[3].unclassifiedOnly = true;
    queries.append(MediaQuery());
    // A search for the values added as new options, which the search texts take at once.
    queries.append(MediaQuery());
    queries.last().search = QStringLiteral("새");
    const QStringList values{QStringLiteral("엄마"), QStringLiteral("아빠"),
                             QStringLiteral("바다")};
    const QStringList paths{QString(), QStringLiteral("x"), QStringLiteral("z")};
    expectViewsAsBuilt();
    for (int round = 0; round < 80 && !HasFailure(); ++round) {
        MediaQuery query = queries[static_cast<qsizetype>(random() % queries.size())];
        query.folderPath = store->query().folderPath;
        store->setQuery(query);
        store->setQuery(MediaQuery());  // something visible to edit
        const QList<QUuid> visible = store->visibleOrder();
        ASSERT_FALSE(visible.isEmpty());
        store->setQuery(query);
        store->visibleOrder();
        const QUuid chosen = visible[static_cast<qsizetype>(random() % visible.size())];
        const QSet<QUuid> selection{chosen, visible.first()};
        store->setSelection(selection);
        const Library unedited = store->library();
        const Category target =
            property(random() % 2 ? QStringLiteral("사람") : QStringLiteral("태그"));
        const QString value = values[static_cast<qsizetype>(random() % values.size())];
        switch (random() % 7) {
            case 0:
            case 1:
                store->setRating(static_cast<int>(random() % 6));
                break;
            case 2:
                // A value no option names yet becomes one: the views follow the grown options.
                store->addLabel(random() % 2 ? value : QStringLiteral("새 %1").arg(random() % 5),
                                target);
                break;
            case 3:
                store->removeLabel(value, target);
                break;
            case 4:
                store->setNotes(QStringLiteral("메모 %1").arg(random() % 4), chosen);
                break;
            case 5:
                if (!target.options.isEmpty()) {
                    store->renameOption(target.options.first(),
                                        target.options.first() + QStringLiteral("+"), target);
                }
                break;
            default:
                store->selectFolderFilter(
                    random() % 3 ? std::nullopt : std::optional<QString>(paths[random() % 3]));
                break;
        }
        ASSERT_FALSE(store->locked()) << store->error().value_or(QString()).toStdString();
        expectViewsAsBuilt();
        if (!(store->library() == unedited)) {
            // The commit kept exactly the selected items that the query shows after the edit.
            QSet<QUuid> shown;
            for (const QUuid& id : store->visibleOrder()) {
                if (selection.contains(id)) {
                    shown.insert(id);
                }
            }
            EXPECT_EQ(store->selection(), shown);
        }
        if (HasFailure()) {
            ADD_FAILURE() << "round " << round;
        }
    }
}

// A scan whose merge the views cannot follow to (files added and removed) has them built beside
// the merge and installed with its commit; built for a folder filter the user left while the
// merge ran, they are not installed. Either way the views equal a build.
TEST_F(FollowTest, AScanTheViewsCannotFollowLeavesThemAsABuildWouldMakeThem) {
    store->selectFolderFilter(QStringLiteral("x"));
    expectViewsAsBuilt();
    addPhoto(QStringLiteral("x/new.jpg"));
    addPhoto(QStringLiteral("n/q.jpg"));
    ASSERT_TRUE(QFile::remove(at(QStringLiteral("z/p3.jpg"))));
    store->rescan(false);
    settle();
    EXPECT_EQ(store->library().items.size(), 17);
    expectViewsAsBuilt();

    addPhoto(QStringLiteral("z/later.jpg"));
    listing.holding = true;
    store->rescan(false);
    HeldPool pool;
    listing.release();
    QCoreApplication::sendPostedEvents();  // the merge begins and waits for a worker
    store->selectFolderFilter(QStringLiteral("z"));
    pool.release();
    settle();
    EXPECT_EQ(store->library().items.size(), 18);
    expectViewsAsBuilt();
}

// A selection's scope finds its folders' items through a table of the browse snapshot's places. A
// scan that adds and removes files has its views built beside the merge; the scope read after it
// holds the folders' items as they now stand.
TEST_F(FollowTest, ASelectionScopeAfterAScanHoldsItsFoldersItemsAsTheyNowStand) {
    const auto selectFolder = [&](const QString& folder) {
        QSet<QUuid> chosen;
        for (const MediaItem& item : store->library().items) {
            if (item.folder() == folder) {
                chosen.insert(item.id);
            }
        }
        store->setSelection(chosen);
    };
    const auto scopeNames = [&] {
        QStringList names;
        for (const MediaItem& item : store->editorScope().items) {
            names.append(item.filename);
        }
        return names;
    };
    selectFolder(QStringLiteral("z"));
    ASSERT_EQ(scopeNames().size(), 4);
    ASSERT_TRUE(QFile::remove(at(QStringLiteral("p0.jpg"))));
    addPhoto(QStringLiteral("z/new.jpg"));
    store->rescan(false);
    settle();
    selectFolder(QStringLiteral("z"));
    QStringList expected;
    for (const MediaItem& item : store->library().items) {
        if (item.folder() == QStringLiteral("z")) {
            expected.append(item.filename);
        }
    }
    EXPECT_EQ(expected.size(), 5);
    EXPECT_EQ(scopeNames().join(u' ').toStdString(), expected.join(u' ').toStdString());
}

// The views follow an edit beside its save. A save refused for a folder gone since the last
// scan publishes nothing: what followed beside it is dropped, the views still show the library
// as it was, and the next edit follows from them.
TEST_F(FollowTest, ARefusedSaveLeavesTheViewsAsTheyWere) {
    store->setQuery(MediaQuery());
    QSet<QUuid> inZ;
    for (const MediaItem& item : store->library().items) {
        if (item.filename.startsWith(QStringLiteral("z/"))) {
            inZ.insert(item.id);
        }
    }
    store->setSelection(inZ);
    const Category tags = property(QStringLiteral("태그"));
    store->addLabel(QStringLiteral("바다"), tags);
    expectViewsAsBuilt();
    const Library before = store->library();
    ASSERT_TRUE(QDir(at(QStringLiteral("z"))).removeRecursively());
    store->addLabel(QStringLiteral("새 값"), tags);
    ASSERT_TRUE(store->error());
    EXPECT_FALSE(store->locked());
    EXPECT_EQ(store->library(), before);
    expectViewsAsBuilt();
    settle();
    store->setSelection({store->library().items.first().id});
    store->addLabel(QStringLiteral("새 값"), tags);
    ASSERT_FALSE(store->locked());
    expectViewsAsBuilt();
}

}  // namespace
}  // namespace lumivex::test

namespace lumivex::test {
namespace {

using ViewBuildTest = StoreTest;

// The views of a library just opened are built off the main thread: a read meanwhile waits for
// them, an edit before they arrive makes the build that started first deliver nothing, and the
// window hears once that they are ready.
TEST_F(ViewBuildTest, OpenedViewsArriveOnceAndAnEarlierBuildDeliversNothingStale) {
    makeTree();
    openLibrary();  // writes the catalog that the next open reads
    QSignalSpy ready(store.get(), &LumivexStore::derivedViewsReady);
    store->openLibrary(library, false, false);
    EXPECT_TRUE(store->derivedViewsPending());
    ASSERT_EQ(store->library().items.size(), 3);
    const QUuid id = store->library().items.first().id;
    ASSERT_TRUE(store->setRating(4, id));
    expectSameSnapshot(store->browseSnapshot(), LibraryBrowseSnapshot(store->library(), false));
    EXPECT_EQ(store->browseSnapshot().item(id)->rating, 4);
    EXPECT_EQ(store->folderScope().library,
              FolderCatalog::displayLibrary(store->library(), std::nullopt));
    settle();
    EXPECT_FALSE(store->derivedViewsPending());
    EXPECT_EQ(ready.size(), 1);

    // A folder filter chosen while the build runs: its scope is not the build's.
    store->openLibrary(library, false, false);
    MediaQuery query;
    query.folderPath = QStringLiteral("sub");
    store->setQuery(query);
    EXPECT_EQ(
        store->folderScope().library,
        FolderCatalog::displayLibrary(store->library(), QueryReconciliation::schemaFolders(
                                                            store->library(), query.folderPath)));
    expectSameSnapshot(store->browseSnapshot(), LibraryBrowseSnapshot(store->library(), false));
    settle();
    EXPECT_FALSE(store->derivedViewsPending());
    EXPECT_EQ(ready.size(), 2);
}

}  // namespace
}  // namespace lumivex::test
