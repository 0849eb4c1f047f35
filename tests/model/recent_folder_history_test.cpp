#include "model/recent_folder_history.h"

#include "platform/user_defaults.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

class RecentFolderHistoryTest : public ::testing::Test {
protected:
    QStringList stored() const { return *UserDefaults(path).textList(key); }

    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("defaults.json"));
    UserDefaults defaults{path};
    const QString key = QStringLiteral("Lumivex.recentFolders");
};

TEST_F(RecentFolderHistoryTest, LoadDropsRelativeEntriesAndDuplicatesAndWritesTheCleanList) {
    defaults.setTextList(key, {QStringLiteral("/x"), QStringLiteral("relative"),
                               QStringLiteral("/y/"), QStringLiteral("/x")});
    const auto history = RecentFolderHistory::load(defaults, QStringLiteral("/ignored"));
    const QStringList expected{QStringLiteral("/x"), QStringLiteral("/y")};
    EXPECT_EQ(history.paths, expected);
    EXPECT_EQ(stored(), expected);
}

TEST_F(RecentFolderHistoryTest, LoadStandardizesAsTextAndMatchesCanonicalEquivalents) {
    defaults.setTextList(key, {QStringLiteral("/a/./b/../c//"), QStringLiteral("/caf\u00e9"),
                               QStringLiteral("/a/c"), QStringLiteral("/cafe\u0301")});
    const auto history = RecentFolderHistory::load(defaults, std::nullopt);
    EXPECT_EQ(history.paths, (QStringList{QStringLiteral("/a/c"), QStringLiteral("/caf\u00e9")}));
}

TEST_F(RecentFolderHistoryTest, AStoredValueOfAnotherTypeGivesAnEmptyList) {
    defaults.setText(key, QStringLiteral("/x"));
    EXPECT_TRUE(RecentFolderHistory::load(defaults, std::nullopt).paths.isEmpty());
    EXPECT_EQ(stored(), QStringList());
}

TEST_F(RecentFolderHistoryTest, TheRememberedRootStartsTheListOnlyWhenItHoldsACatalog) {
    const QString library = folder.filePath(QStringLiteral("lib"));
    test::makeDirectories(library);
    EXPECT_TRUE(RecentFolderHistory::load(defaults, library).paths.isEmpty());
    EXPECT_EQ(stored(), QStringList());

    defaults.remove(key);
    test::writeFile(library + QStringLiteral("/.lumivex/lumivex.csv"), "catalog");
    EXPECT_EQ(RecentFolderHistory::load(defaults, library + u'/').paths, QStringList{library});
    EXPECT_EQ(stored(), QStringList{library});

    defaults.setTextList(key, {});
    EXPECT_TRUE(RecentFolderHistory::load(defaults, library).paths.isEmpty());
    defaults.remove(key);
    EXPECT_TRUE(RecentFolderHistory::load(defaults, QStringLiteral("lib")).paths.isEmpty());
}

TEST_F(RecentFolderHistoryTest, RecordingMovesAFolderToTheFrontWithoutLimit) {
    RecentFolderHistory history;
    for (int i = 0; i < 30; ++i) {
        history.record(QStringLiteral("/f%1").arg(i));
    }
    history.record(QStringLiteral("/f3/"));
    EXPECT_EQ(history.paths.size(), 30);
    EXPECT_EQ(history.paths.first(), QStringLiteral("/f3"));
    EXPECT_EQ(history.paths[1], QStringLiteral("/f29"));
    EXPECT_EQ(history.paths.count(QStringLiteral("/f3")), 1);
}

TEST_F(RecentFolderHistoryTest, FoldersAreFolderURLsInOrder) {
    const RecentFolderHistory history{{QStringLiteral("/b c"), QStringLiteral("/")}};
    const QList<QUrl> urls = history.folders();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(urls[0].toString(), QStringLiteral("file:///b c/"));
    EXPECT_EQ(urls[1].toLocalFile(), QStringLiteral("/"));
}

}  // namespace
