#pragma once

#include <QString>

#include <array>
#include <optional>

namespace lumivex {

struct VideoDurationRange;

// The five fixed length buckets of the browser's length menu and sidebar counts.
enum class VideoDurationPreset { underOne, oneToThree, threeToTen, tenToTwenty, twentyPlus };

inline constexpr std::array<VideoDurationPreset, 5> allVideoDurationPresets{
    VideoDurationPreset::underOne, VideoDurationPreset::oneToThree, VideoDurationPreset::threeToTen,
    VideoDurationPreset::tenToTwenty, VideoDurationPreset::twentyPlus};

// The raw value, equal to the case name ("underOne").
QString rawValue(VideoDurationPreset preset);
std::optional<VideoDurationPreset> videoDurationPresetFromRaw(const QString& raw);
// The menu title, such as "1~3분".
QString title(VideoDurationPreset preset);
// The range the preset stands for; its maximum is never included.
VideoDurationRange range(VideoDurationPreset preset);

}  // namespace lumivex
