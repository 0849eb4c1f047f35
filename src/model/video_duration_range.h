#pragma once

#include "model/video_duration_preset.h"

#include <QString>

#include <optional>

namespace lumivex {

// A span of video lengths in seconds: the minimum is always inside, the maximum only when
// includesMaximum says so; no maximum means no upper bound. A plain value of the browse query.
struct VideoDurationRange {
    double minimum = 0;
    std::optional<double> maximum;
    bool includesMaximum = false;

    // The preset whose range this is exactly; never one for a custom range.
    std::optional<VideoDurationPreset> preset() const;
    // The preset's title, else one made from the bounds ("1분~3분", "1분 30초 이상").
    QString title() const;
    // A finite length within the bounds.
    bool contains(double seconds) const;

    // The range typed into the custom length sheet as minutes and seconds of each bound, either
    // bound left blank for none. Its maximum is included. Throws the lumivex::Error of the first
    // VideoDurationInputError found.
    static VideoDurationRange custom(const QString& minimumMinutes, const QString& minimumSeconds,
                                     const QString& maximumMinutes, const QString& maximumSeconds);

    bool operator==(const VideoDurationRange&) const = default;
};

}  // namespace lumivex
