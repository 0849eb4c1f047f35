#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>

#include <optional>
#include <vector>

namespace lumivex {

// The picture size HEVC parameter sets declare, which is what the decoder allocates frames for,
// whatever size the file around them states. On whichever thread calls.
namespace HevcPictureSize {

// An 'hvcC' decoder configuration: the size of the length field before each NAL unit of the
// item's data, and the NAL units the configuration carries.
struct DecoderConfig {
    int lengthSize = 4;
    std::vector<QByteArray> units;
};

// The configuration in an 'hvcC' box body; none when it is cut short.
std::optional<DecoderConfig> readConfig(QByteArrayView box);

// Whether a NAL unit (its two header bytes at least) is a sequence parameter set.
bool isSequenceParameterSet(QByteArrayView unit);

// The luma picture size of a sequence parameter set NAL unit; none when it cannot be read.
std::optional<QSize> ofSequenceParameterSet(QByteArrayView unit);

}  // namespace HevcPictureSize
}  // namespace lumivex
