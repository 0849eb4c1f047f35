// Reads arbitrary text as the four fields of the custom video-length sheet (the input's lines:
// minimum minutes and seconds, maximum minutes and seconds). A range it accepts is well formed:
// finite bounds in order, its minimum inside it, and a title.
#include "model/video_duration_range.h"
#include "platform/error.h"

#include <QStringList>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList fields =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
            .split(u'\n');
    const auto field = [&](qsizetype index) {
        return index < fields.size() ? fields[index] : QString();
    };
    lumivex::VideoDurationRange range;
    try {
        range = lumivex::VideoDurationRange::custom(field(0), field(1), field(2), field(3));
    } catch (const lumivex::Error&) {
        return 0;
    }
    const bool ordered =
        !range.maximum || (std::isfinite(*range.maximum) && *range.maximum >= range.minimum);
    if (!std::isfinite(range.minimum) || range.minimum < 0 || !ordered ||
        !range.contains(range.minimum) || range.title().isEmpty()) {
        std::abort();
    }
    return 0;
}
