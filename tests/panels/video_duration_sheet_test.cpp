#include "panels/video_duration_sheet.h"
#include "media_views/view_screenshots.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace lumivex {
namespace {

using Field = VideoDurationSheet::Field;

class VideoDurationSheetTest : public ::testing::Test {
protected:
    QList<VideoDurationRange> applied;
    int closed = 0;

    std::unique_ptr<VideoDurationSheet> open(const std::optional<VideoDurationRange>& current) {
        auto sheet = std::make_unique<VideoDurationSheet>(
            current, [this](const VideoDurationRange& range) { applied.append(range); },
            [this] { ++closed; });
        sheet->show();
        return sheet;
    }

    static void type(VideoDurationSheet& sheet, const QStringList& texts) {
        for (int i = 0; i < 4; ++i) {
            sheet.field(static_cast<Field>(i))->setText(texts[i]);
        }
    }
};

TEST_F(VideoDurationSheetTest, EmptyFieldsShowNothingButCannotApply) {
    auto sheet = open(std::nullopt);
    EXPECT_EQ(sheet->message(), QString());
    EXPECT_FALSE(sheet->applyButton()->isEnabled());
    type(*sheet, {QStringLiteral(" "), {}, {}, {}});
    EXPECT_EQ(sheet->message(), QStringLiteral("최소 또는 최대 시간을 입력해주세요."));
    QTest::keyClick(sheet->field(Field::minimumMinutes), Qt::Key_Return);
    EXPECT_TRUE(applied.isEmpty());
    EXPECT_EQ(closed, 0);
}

TEST_F(VideoDurationSheetTest, TheFirstProblemIsNamedAndAValidRangeApplies) {
    auto sheet = open(std::nullopt);
    type(*sheet,
         {QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("59")});
    EXPECT_EQ(sheet->message(), QStringLiteral("최대 시간은 최소 시간보다 크거나 같아야 합니다."));
    EXPECT_FALSE(sheet->applyButton()->isEnabled());
    type(*sheet, {QStringLiteral("1"), QStringLiteral("60"), QStringLiteral("x"), {}});
    EXPECT_EQ(sheet->message(), QStringLiteral("초는 0~59 사이로 입력해주세요."));
    type(*sheet, {QStringLiteral("1"), {}, QStringLiteral("-1"), {}});
    EXPECT_EQ(sheet->message(), QStringLiteral("분과 초는 0 이상의 정수로 입력해주세요."));
    type(*sheet, {{}, {}, QStringLiteral("2"), QStringLiteral(" 30 ")});
    EXPECT_EQ(sheet->message(), QString());
    ASSERT_TRUE(sheet->applyButton()->isEnabled());
    QTest::keyClick(sheet->field(Field::maximumSeconds), Qt::Key_Return);
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied[0], (VideoDurationRange{0, 150.0, true}));
    EXPECT_EQ(closed, 1);
    sheet->cancelButton()->click();
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(applied.size(), 1);
}

TEST_F(VideoDurationSheetTest, ReturnOnTheFocusedCancelButtonCancels) {
    auto sheet = open(std::nullopt);
    type(*sheet, {QStringLiteral("1"), {}, {}, {}});
    sheet->cancelButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sheet->cancelButton(), Qt::Key_Return);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(applied.isEmpty());
}

TEST_F(VideoDurationSheetTest, TheRangeInForceFillsTheFieldsRoundedToSeconds) {
    using Texts = std::array<QString, 4>;
    EXPECT_EQ(VideoDurationSheet::prefill(VideoDurationRange{89.5, std::nullopt, false}),
              (Texts{QStringLiteral("1"), QStringLiteral("30"), QString(), QString()}));
    EXPECT_EQ(VideoDurationSheet::prefill(VideoDurationRange{89.4, 180.0, false}),
              (Texts{QStringLiteral("1"), QStringLiteral("29"), QStringLiteral("3"),
                     QStringLiteral("0")}));
    auto sheet = open(VideoDurationRange{60, 180.0, false});
    EXPECT_EQ(sheet->field(Field::maximumMinutes)->text(), QStringLiteral("3"));
    test::saveScreenshot(*sheet, QStringLiteral("video_length_sheet"));
    sheet->applyButton()->click();
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied[0], (VideoDurationRange{60, 180.0, true}));
}

}  // namespace
}  // namespace lumivex
