#include "media/hevc_picture_size.h"

#include "media/bit_reader.h"

#include <algorithm>

namespace lumivex::HevcPictureSize {

namespace {

constexpr int sequenceParameterSetType = 33;
// The fixed part of 'hvcC' before its arrays of NAL units.
constexpr int configHeaderLength = 22;

// A NAL unit's payload, emulation prevention bytes removed.
QByteArray payloadOf(QByteArrayView unit) {
    QByteArray bytes;
    int zeros = 0;
    for (const char byte : unit) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        bytes += byte;
    }
    return bytes;
}

// An unsigned Exp-Golomb number.
quint32 golomb(BitReader& bits) {
    int zeros = 0;
    while (bits.read(1) == 0 && !bits.failed()) {
        if (++zeros > 31) {
            bits.fail();
            return 0;
        }
    }
    return ((1u << zeros) - 1) + bits.read(zeros);
}

// Skips profile_tier_level() with its profile present.
void skipProfileTierLevel(BitReader& bits, int maxSubLayersMinus1) {
    bits.skip(88 + 8);  // the general profile and level
    std::vector<std::pair<bool, bool>> present;
    for (int i = 0; i < maxSubLayersMinus1; ++i) {
        const bool profile = bits.read(1) != 0;
        present.emplace_back(profile, bits.read(1) != 0);
    }
    if (maxSubLayersMinus1 > 0) {
        bits.skip(2 * (8 - maxSubLayersMinus1));
    }
    for (const auto& [profile, level] : present) {
        bits.skip((profile ? 88 : 0) + (level ? 8 : 0));
    }
}

}  // namespace

std::optional<DecoderConfig> readConfig(QByteArrayView box) {
    if (box.size() < configHeaderLength + 1) {
        return std::nullopt;
    }
    DecoderConfig config;
    config.lengthSize = (static_cast<quint8>(box[21]) & 3) + 1;
    const int arrays = static_cast<quint8>(box[configHeaderLength]);
    qsizetype position = configHeaderLength + 1;
    const auto u16 = [&](qsizetype at) {
        return (static_cast<quint8>(box[at]) << 8) | static_cast<quint8>(box[at + 1]);
    };
    for (int array = 0; array < arrays; ++array) {
        if (position + 3 > box.size()) {
            return std::nullopt;
        }
        const int count = u16(position + 1);
        position += 3;
        for (int i = 0; i < count; ++i) {
            if (position + 2 > box.size() || position + 2 + u16(position) > box.size()) {
                return std::nullopt;
            }
            config.units.push_back(box.sliced(position + 2, u16(position)).toByteArray());
            position += 2 + u16(position);
        }
    }
    return config;
}

bool isSequenceParameterSet(QByteArrayView unit) {
    return unit.size() >= 2 &&
           ((static_cast<quint8>(unit[0]) >> 1) & 63) == sequenceParameterSetType;
}

std::optional<QSize> ofSequenceParameterSet(QByteArrayView unit) {
    if (!isSequenceParameterSet(unit)) {
        return std::nullopt;
    }
    BitReader bits(payloadOf(unit.sliced(2)));
    bits.skip(4);  // sps_video_parameter_set_id
    const int maxSubLayersMinus1 = static_cast<int>(bits.read(3));
    bits.skip(1);
    skipProfileTierLevel(bits, maxSubLayersMinus1);
    golomb(bits);  // sps_seq_parameter_set_id
    if (golomb(bits) == 3) {
        bits.skip(1);  // separate_colour_plane_flag
    }
    const quint32 width = golomb(bits);
    const quint32 height = golomb(bits);
    if (bits.failed()) {
        return std::nullopt;
    }
    return QSize(static_cast<int>(std::min(width, 65536u)),
                 static_cast<int>(std::min(height, 65536u)));
}

}  // namespace lumivex::HevcPictureSize
