#include "model/video_duration_range.h"
#include "model/video_duration_input_error.h"
#include "platform/error.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lumivex;

namespace {

VideoDurationRange custom(const char16_t* minMinutes, const char16_t* minSeconds,
                          const char16_t* maxMinutes, const char16_t* maxSeconds) {
    return VideoDurationRange::custom(
        QString::fromUtf16(minMinutes), QString::fromUtf16(minSeconds),
        QString::fromUtf16(maxMinutes), QString::fromUtf16(maxSeconds));
}

// The description a refused input carries, after checking it names its case.
QString refusal(const char16_t* minMinutes, const char16_t* minSeconds, const char16_t* maxMinutes,
                const char16_t* maxSeconds) {
    try {
        custom(minMinutes, minSeconds, maxMinutes, maxSeconds);
    } catch (const Error& error) {
        const auto kind = videoDurationInputError(error);
        EXPECT_TRUE(kind.has_value());
        EXPECT_EQ(error.description(), kind ? localizedDescription(*kind) : QString());
        return error.description();
    }
    return QStringLiteral("accepted");
}

const QString missingBounds = QStringLiteral("최소 또는 최대 시간을 입력해주세요.");
const QString invalidNumber = QStringLiteral("분과 초는 0 이상의 정수로 입력해주세요.");
const QString invalidSeconds = QStringLiteral("초는 0~59 사이로 입력해주세요.");
const QString invalidOrder = QStringLiteral("최대 시간은 최소 시간보다 크거나 같아야 합니다.");

}  // namespace

TEST(VideoDurationPreset, RawValuesTitlesAndRangesInOrder) {
    const QStringList raws{QStringLiteral("underOne"), QStringLiteral("oneToThree"),
                           QStringLiteral("threeToTen"), QStringLiteral("tenToTwenty"),
                           QStringLiteral("twentyPlus")};
    const QStringList titles{QStringLiteral("~1분"), QStringLiteral("1~3분"),
                             QStringLiteral("3~10분"), QStringLiteral("10~20분"),
                             QStringLiteral("20분 이상")};
    for (size_t i = 0; i < allVideoDurationPresets.size(); ++i) {
        const VideoDurationPreset preset = allVideoDurationPresets[i];
        const auto index = static_cast<qsizetype>(i);
        EXPECT_EQ(rawValue(preset), raws[index]);
        EXPECT_EQ(videoDurationPresetFromRaw(raws[index]), preset);
        EXPECT_EQ(title(preset), titles[index]);
        EXPECT_EQ(range(preset).title(), titles[index]);
        EXPECT_EQ(range(preset).preset(), preset);
        EXPECT_FALSE(range(preset).includesMaximum);
    }
    EXPECT_EQ(range(VideoDurationPreset::twentyPlus),
              (VideoDurationRange{1200, std::nullopt, false}));
    EXPECT_EQ(range(VideoDurationPreset::threeToTen), (VideoDurationRange{180, 600, false}));
    EXPECT_FALSE(videoDurationPresetFromRaw(QStringLiteral("UnderOne")).has_value());
    EXPECT_FALSE(videoDurationPresetFromRaw(QString()).has_value());
}

TEST(VideoDurationPreset, BoundariesFallIntoTheUpperBucket) {
    const auto bucket = [](double seconds) -> std::optional<VideoDurationPreset> {
        for (VideoDurationPreset preset : allVideoDurationPresets) {
            if (range(preset).contains(seconds)) {
                return preset;
            }
        }
        return std::nullopt;
    };
    EXPECT_EQ(bucket(0), VideoDurationPreset::underOne);
    EXPECT_EQ(bucket(std::nextafter(60.0, 0.0)), VideoDurationPreset::underOne);
    EXPECT_EQ(bucket(60), VideoDurationPreset::oneToThree);
    EXPECT_EQ(bucket(180), VideoDurationPreset::threeToTen);
    EXPECT_EQ(bucket(1199.999), VideoDurationPreset::tenToTwenty);
    EXPECT_EQ(bucket(1200), VideoDurationPreset::twentyPlus);
    EXPECT_EQ(bucket(1e12), VideoDurationPreset::twentyPlus);
    EXPECT_EQ(bucket(-0.001), std::nullopt);
    EXPECT_EQ(bucket(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(bucket(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

TEST(VideoDurationRange, CustomBoundsTitlesAndIncludedMaximum) {
    const VideoDurationRange fromOneMinute = custom(u"1", u"", u"", u"");
    EXPECT_EQ(fromOneMinute, (VideoDurationRange{60, std::nullopt, true}));
    EXPECT_EQ(fromOneMinute.title(), QStringLiteral("1분 이상"));

    const VideoDurationRange upToThree = custom(u"", u"", u"3", u"0");
    EXPECT_EQ(upToThree, (VideoDurationRange{0, 180, true}));
    EXPECT_EQ(upToThree.title(), QStringLiteral("~3분"));
    EXPECT_TRUE(upToThree.contains(180));
    EXPECT_FALSE(upToThree.contains(180.5));

    // The bounds of a preset, but with the maximum included: a custom range all the same.
    const VideoDurationRange oneToThree = custom(u"1", u"0", u"3", u"0");
    EXPECT_EQ(oneToThree, (VideoDurationRange{60, 180, true}));
    EXPECT_FALSE(oneToThree.preset().has_value());
    EXPECT_EQ(oneToThree.title(), QStringLiteral("1분~3분"));

    EXPECT_EQ(custom(u" 5\n", u"\t", u"", u""), (VideoDurationRange{300, std::nullopt, true}));
    EXPECT_EQ(custom(u"2", u"5", u"2", u"5"), (VideoDurationRange{125, 125, true}));
    EXPECT_EQ(custom(u"", u"", u"", u"0").maximum, 0.0);
    EXPECT_EQ(custom(u"0007", u"09", u"", u"").minimum, 429.0);
}

TEST(VideoDurationRange, TimeTextsRoundHalvesAwayFromZero) {
    const auto from = [](double seconds) {
        return VideoDurationRange{seconds, std::nullopt, true}.title();
    };
    EXPECT_EQ(from(59.5), QStringLiteral("1분 이상"));
    EXPECT_EQ(from(89.6), QStringLiteral("1분 30초 이상"));
    EXPECT_EQ(from(45), QStringLiteral("45초 이상"));
    EXPECT_EQ(from(0), QStringLiteral("0초 이상"));
    EXPECT_EQ(from(7200), QStringLiteral("120분 이상"));
    EXPECT_EQ((VideoDurationRange{0, 90, false}.title()), QStringLiteral("~1분 30초"));
    EXPECT_EQ((VideoDurationRange{60, 180, false}.title()), QStringLiteral("1~3분"));
    EXPECT_EQ((VideoDurationRange{60, 181, false}.title()), QStringLiteral("1분~3분 1초"));
    // Whole minutes far beyond 32 bits keep every digit.
    EXPECT_EQ(from(6e12), QStringLiteral("100000000000분 이상"));
}

TEST(VideoDurationRange, EveryRefusalCarriesItsMessage) {
    EXPECT_EQ(refusal(u"", u"", u"", u""), missingBounds);
    EXPECT_EQ(refusal(u" ", u"\n", u"\t", u"  "), missingBounds);
    EXPECT_EQ(refusal(u"1", u"60", u"", u""), invalidSeconds);
    EXPECT_EQ(refusal(u"", u"", u"0", u"99"), invalidSeconds);
    for (const char16_t* bad : {u"-1", u"+1", u"1.5", u"1 2", u"١", u"１", u"1e3", u"x"}) {
        EXPECT_EQ(refusal(bad, u"", u"", u""), invalidNumber)
            << QString::fromUtf16(bad).toStdString();
        EXPECT_EQ(refusal(u"", u"", u"", bad), invalidNumber)
            << QString::fromUtf16(bad).toStdString();
    }
    EXPECT_EQ(refusal(u"2", u"", u"1", u""), invalidOrder);
    EXPECT_EQ(refusal(u"1", u"1", u"1", u"0"), invalidOrder);
}

TEST(VideoDurationRange, FirstFailingStepDecides) {
    // Minutes are read before seconds, and the minimum before the maximum.
    EXPECT_EQ(refusal(u"x", u"99", u"", u""), invalidNumber);
    EXPECT_EQ(refusal(u"1", u"99", u"x", u""), invalidSeconds);
    EXPECT_EQ(refusal(u"5", u"", u"1", u"99"), invalidSeconds);
    EXPECT_EQ(refusal(u"5", u"", u"1", u"x"), invalidNumber);
}

TEST(VideoDurationRange, NumbersBeyondSixtyFourBitsAreRefused) {
    EXPECT_EQ(refusal(u"9223372036854775808", u"", u"", u""), invalidNumber);
    EXPECT_EQ(refusal(u"", u"99999999999999999999999", u"", u""), invalidNumber);
    // Fits alone, overflows once made seconds.
    EXPECT_EQ(refusal(u"153722867280912931", u"", u"", u""), invalidNumber);
    EXPECT_EQ(refusal(u"153722867280912930", u"8", u"", u""), invalidNumber);
    EXPECT_EQ(refusal(u"153722867280912930", u"7", u"", u""), QStringLiteral("accepted"));
}

TEST(VideoDurationRange, ContainsNeedsAFiniteLengthWithinTheBounds) {
    const VideoDurationRange range{60, 180, false};
    EXPECT_FALSE(range.contains(59.999));
    EXPECT_TRUE(range.contains(60));
    EXPECT_FALSE(range.contains(180));
    EXPECT_FALSE(range.contains(std::numeric_limits<double>::quiet_NaN()));
    const VideoDurationRange open{0, std::nullopt, true};
    EXPECT_TRUE(open.contains(1e300));
    EXPECT_FALSE(open.contains(std::numeric_limits<double>::infinity()));
}
