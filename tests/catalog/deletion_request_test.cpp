#include "catalog/deletion_request.h"

#include "platform/app_brand.h"

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

MediaItem itemOfKind(MediaKind kind) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    return item;
}

QString titleOf(std::initializer_list<MediaKind> kinds) {
    QList<MediaItem> items;
    for (MediaKind kind : kinds) {
        items.append(itemOfKind(kind));
    }
    return DeletionRequest::make(items, LibrarySource::folder, QStringLiteral("/lib"), {}).title();
}

}  // namespace

TEST(DeletionRequest, TitleCountsAndNamesTheKinds) {
    EXPECT_EQ(titleOf({MediaKind::photo, MediaKind::photo}),
              QStringLiteral("2개의 사진을 삭제하시겠습니까?"));
    EXPECT_EQ(titleOf({MediaKind::photo, MediaKind::video}),
              QStringLiteral("2개의 사진·영상을 삭제하시겠습니까?"));
    EXPECT_EQ(titleOf({MediaKind::video, MediaKind::video, MediaKind::video}),
              QStringLiteral("3개의 영상을 삭제하시겠습니까?"));
    EXPECT_EQ(titleOf({}), QStringLiteral("0개의 사진을 삭제하시겠습니까?"));
}

TEST(DeletionRequest, MessageSaysWhereTheFilesGo) {
    const QString kept =
        AppBrand::name() + QStringLiteral("의 별점·분류 기록은 별도 CSV에 7일간 보관합니다.");
    const QList<MediaItem> items{itemOfKind(MediaKind::photo)};
    EXPECT_EQ(
        DeletionRequest::make(items, LibrarySource::folder, QStringLiteral("/lib"), {}).message(),
        QStringLiteral("선택한 원본 파일을 휴지통으로 이동합니다. 휴지통을 비우기 전에는 "
                       "복원할 수 있습니다.\n\n") +
            kept);
    EXPECT_EQ(DeletionRequest::make(items, LibrarySource::photos, QString(), {}).message(),
              QStringLiteral("사진 보관함에서 삭제합니다. 파일은 휴지통으로 이동하며, 휴지통을 "
                             "비우기 전에는 복원할 수 있습니다.\n\n") +
                  kept);
}

TEST(DeletionRequest, EveryRequestHasItsOwnIdentifier) {
    const QUuid generation = QUuid::createUuid();
    const DeletionRequest first = DeletionRequest::make({}, LibrarySource::folder, {}, generation);
    const DeletionRequest second = DeletionRequest::make({}, LibrarySource::folder, {}, generation);
    EXPECT_FALSE(first.id.isNull());
    EXPECT_NE(first.id, second.id);
    EXPECT_EQ(second.generation, generation);
}
