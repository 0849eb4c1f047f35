#include "store/store_fixture.h"

#include "support/test_files.h"

#include <QDir>
#include <QFile>

namespace lumivex::test {
namespace {

using CommandsTest = StoreTest;

TEST_F(CommandsTest, WithoutALibraryTheFileCommandsDoNothing) {
    makeStore();
    shell.chosenExportFile = temp.path() + QStringLiteral("/export.csv");
    store->showFiles();
    store->showMetadataFolder();
    store->exportCSV();
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(shell.exportProposals.isEmpty());
}

TEST_F(CommandsTest, ExportWritesEveryItemWhateverTheFilter) {
    makeTree();
    openLibrary();
    MediaQuery query;
    query.search = QStringLiteral("a.jpg");
    store->setQuery(query);
    ASSERT_EQ(store->visibleItems().size(), 1);
    const QString file = temp.path() + QStringLiteral("/export.csv");
    shell.chosenExportFile = file;
    store->exportCSV();
    EXPECT_EQ(shell.exportProposals, QStringList{QStringLiteral("Dovrin-분류.csv")});
    EXPECT_EQ(readFile(file), store->library().csv().toUtf8());
    EXPECT_TRUE(readFile(file).startsWith("\xEF\xBB\xBF"));

    shell.chosenExportFile = temp.path() + QStringLiteral("/missing/folder/x.csv");
    makeDirectories(temp.path() + QStringLiteral("/missing"));
    writeFile(temp.path() + QStringLiteral("/missing/folder"), "a file");
    store->exportCSV();
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(store->error()->startsWith(QStringLiteral("CSV 내보내기에 실패했습니다.\n")));
    EXPECT_FALSE(store->locked());
}

TEST_F(CommandsTest, FolderPanelStartsAtTheRootOrItsParentAndOpensTheChoice) {
    const QString gone = temp.path() + QStringLiteral("/gone");
    defaults->setText(QStringLiteral("Lumivex.source"), QStringLiteral("folder"));
    defaults->setText(QStringLiteral("Lumivex.libraryRoot"), gone);
    makeStore();
    store->chooseLibrary();
    EXPECT_EQ(shell.folderPanelStarts, QStringList{temp.path()});

    makeTree();
    shell.chosenFolder = library;
    store->chooseLibrary();
    settle();
    EXPECT_EQ(store->root(), library);
    EXPECT_EQ(store->recentFolders().paths.first(), library);
    store->chooseLibrary();
    EXPECT_EQ(shell.folderPanelStarts.last(), library);
    settle();
}

TEST_F(CommandsTest, PhotoSourceConnectsOnlyAfterSetup) {
    makeStore();
    store->choosePhotosSource();
    EXPECT_TRUE(store->showPhotosSetup());
    EXPECT_EQ(store->source(), LibrarySource::none);
    store->setShowPhotosSetup(false);
    defaults->setBool(QStringLiteral("Lumivex.photosSetupCompleted"), true);
    store->choosePhotosSource();
    settle();
    EXPECT_EQ(store->source(), LibrarySource::photos);
}

TEST_F(CommandsTest, RevealAndShowOpenTheRightPlaces) {
    makeTree();
    openLibrary();
    store->reveal(item(QStringLiteral("sub/c.png")));
    EXPECT_EQ(shell.revealed, QStringList{at(QStringLiteral("sub/c.png"))});
    store->showFiles();
    store->showMetadataFolder();
    EXPECT_EQ(shell.opened, (QStringList{library, at(QStringLiteral(".lumivex"))}));
}

}  // namespace
}  // namespace lumivex::test
