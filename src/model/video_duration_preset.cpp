#include "model/video_duration_preset.h"

#include "model/video_duration_range.h"

namespace lumivex {

namespace {

struct PresetInfo {
    const char16_t* raw;
    const char16_t* title;
    double minimum;
    std::optional<double> maximum;
};

PresetInfo info(VideoDurationPreset preset) {
    switch (preset) {
        case VideoDurationPreset::underOne:
            return {u"underOne", u"~1분", 0, 60};
        case VideoDurationPreset::oneToThree:
            return {u"oneToThree", u"1~3분", 60, 180};
        case VideoDurationPreset::threeToTen:
            return {u"threeToTen", u"3~10분", 180, 600};
        case VideoDurationPreset::tenToTwenty:
            return {u"tenToTwenty", u"10~20분", 600, 1200};
        case VideoDurationPreset::twentyPlus:
            return {u"twentyPlus", u"20분 이상", 1200, std::nullopt};
    }
    return {u"", u"", 0, std::nullopt};
}

}  // namespace

QString rawValue(VideoDurationPreset preset) {
    return QString::fromUtf16(info(preset).raw);
}

std::optional<VideoDurationPreset> videoDurationPresetFromRaw(const QString& raw) {
    for (VideoDurationPreset preset : allVideoDurationPresets) {
        if (raw == rawValue(preset)) {
            return preset;
        }
    }
    return std::nullopt;
}

QString title(VideoDurationPreset preset) {
    return QString::fromUtf16(info(preset).title);
}

VideoDurationRange range(VideoDurationPreset preset) {
    const PresetInfo presetInfo = info(preset);
    return VideoDurationRange{presetInfo.minimum, presetInfo.maximum, false};
}

}  // namespace lumivex
