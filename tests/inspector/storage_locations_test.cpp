#include "inspector/storage_locations.h"
#include "model/media_items.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using StorageLocations::Folder;

MediaItems itemsAt(const QStringList& filenames) {
    QList<MediaItem> items;
    for (const QString& filename : filenames) {
        MediaItem item;
        item.id = QUuid::createUuid();
        item.filename = filename;
        items.append(item);
    }
    return MediaItems(items);
}

TEST(StorageLocations, FoldersComeOnceTheRootFirstThenInNumericOrder) {
    const auto folders = StorageLocations::folders(
        itemsAt({QStringLiteral("b10/x.jpg"), QStringLiteral("b9/y.jpg"), QStringLiteral("z.jpg"),
                 QStringLiteral("b9/w.jpg"), QStringLiteral("A/v.jpg"), QStringLiteral("A/u.jpg"),
                 QStringLiteral("A/t.jpg")}));
    EXPECT_EQ(folders, (QList<Folder>{{QString(), 1},
                                      {QStringLiteral("A"), 3},
                                      {QStringLiteral("b9"), 2},
                                      {QStringLiteral("b10"), 1}}));
}

TEST(StorageLocations, TitlesNameOneFolderByItsPathAndSeveralByTheirCount) {
    const QString root = QStringLiteral("Photos");
    EXPECT_EQ(StorageLocations::rowTitle(root, QStringLiteral("2024/여름")),
              QStringLiteral("Photos › 2024 › 여름"));
    EXPECT_EQ(StorageLocations::title(LibrarySource::folder, root, {QString()}), root);
    const QStringList two{QString(), QStringLiteral("a/b")};
    EXPECT_EQ(StorageLocations::title(LibrarySource::folder, root, two),
              QStringLiteral("2개 폴더에 저장"));
    EXPECT_EQ(StorageLocations::rowTitle(root, two[1]), QStringLiteral("Photos › a › b"));
    EXPECT_EQ(StorageLocations::popoverHeading(2), QStringLiteral("2개 폴더에 나누어 저장"));
    EXPECT_EQ(StorageLocations::title(LibrarySource::folder, root, {}),
              QStringLiteral("0개 폴더에 저장"));
    EXPECT_EQ(StorageLocations::title(LibrarySource::photos, root, two),
              QStringLiteral("이 컴퓨터 · 사진 보관함 분류"));
}

TEST(StorageLocations, OnlySeveralFoldersOfAFolderLibraryOpenAList) {
    using Icons = StorageLocations::Icons;
    const Icons open{QStringLiteral("folder"), QStringLiteral("arrow.up.right")};
    EXPECT_EQ(StorageLocations::icons(LibrarySource::folder, 1), open);
    EXPECT_EQ(StorageLocations::icons(LibrarySource::photos, 3), open);
    EXPECT_EQ(StorageLocations::icons(LibrarySource::folder, 2),
              (Icons{QStringLiteral("folder.badge.plus"), QStringLiteral("chevron.down")}));
}

}  // namespace
}  // namespace lumivex
