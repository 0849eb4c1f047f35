#include "inspector/item_facts.h"
#include "inspector/flow_layout.h"
#include "model/media_item.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

TEST(ItemFacts, KindLinesNameTheKindTheLengthAndTheSize) {
    MediaItem photo;
    photo.filename = QStringLiteral("2024/여름/a.jpg");
    photo.size = 2'400'000;
    EXPECT_EQ(ItemFacts::fileName(photo), QStringLiteral("a.jpg"));
    EXPECT_EQ(ItemFacts::kindLine(photo), QStringLiteral("사진 · 2.4 MB"));
    MediaItem video;
    video.kind = MediaKind::video;
    video.size = 1'200'000'000;
    video.duration = 3909.7;
    EXPECT_EQ(ItemFacts::kindLine(video), QStringLiteral("영상 · 1:05:09 · 1.2 GB"));
    video.duration.reset();
    EXPECT_EQ(ItemFacts::kindLine(video), QStringLiteral("영상 · — · 1.2 GB"));
    photo.fileIdentity = QStringLiteral("photos:pictures/a.jpg");
    EXPECT_EQ(ItemFacts::kindLine(photo), QStringLiteral("사진 · 사진 보관함"));
}

TEST(ItemFacts, SizesUseDecimalUnitsAndCarryIntoTheNextUnit) {
    EXPECT_EQ(ItemFacts::byteCount(0), QStringLiteral("Zero KB"));
    EXPECT_EQ(ItemFacts::byteCount(512), QStringLiteral("512 bytes"));
    EXPECT_EQ(ItemFacts::byteCount(12'345), QStringLiteral("12 KB"));
    EXPECT_EQ(ItemFacts::byteCount(999'600), QStringLiteral("1 MB"));
    EXPECT_EQ(ItemFacts::byteCount(1'250'000'000), QStringLiteral("1.25 GB"));
}

TEST(FlowLayout, ItemsWrapAndOneWiderThanTheRowStandsAlone) {
    const FlowLayout layout(5);
    const QList<QSize> sizes{{100, 20}, {100, 20}, {300, 20}, {40, 20}};
    int height = 0;
    const QList<QRect> placed = layout.positions(sizes, 210, &height);
    EXPECT_EQ(placed[0], QRect(0, 0, 100, 20));
    EXPECT_EQ(placed[1], QRect(105, 0, 100, 20));
    EXPECT_EQ(placed[2], QRect(0, 25, 300, 20));
    EXPECT_EQ(placed[3], QRect(0, 50, 40, 20));
    EXPECT_EQ(height, 70);
    EXPECT_EQ(layout.sizeThatFits(sizes, 1000), QSize(1000, 20));
    EXPECT_EQ(layout.sizeThatFits(sizes, std::nullopt), QSize(260, 70));
    EXPECT_EQ(layout.sizeThatFits({}, 210), QSize(210, 0));
}

}  // namespace
}  // namespace lumivex
