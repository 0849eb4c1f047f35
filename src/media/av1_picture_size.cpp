#include "media/av1_picture_size.h"

#include "media/bit_reader.h"

namespace lumivex::Av1PictureSize {

namespace {

constexpr int sequenceHeaderType = 1;
// The fixed part of 'av1C' before its configuration OBUs.
constexpr int configHeaderLength = 4;
constexpr int leb128Limit = 8;

// A variable length unsigned number; only skipped, so its value is not kept.
void skipUvlc(BitReader& bits) {
    int zeros = 0;
    while (bits.read(1) == 0 && !bits.failed()) {
        ++zeros;
    }
    if (zeros < 32) {
        bits.read(zeros);
    }
}

// Skips the timing information; whether it carries a decoder model, and that model's delay
// length in bits.
std::pair<bool, int> skipTimingInfo(BitReader& bits) {
    if (bits.read(1) == 0) {  // timing_info_present_flag
        return {false, 0};
    }
    bits.read(32);            // num_units_in_display_tick
    bits.read(32);            // time_scale
    if (bits.read(1) != 0) {  // equal_picture_interval
        skipUvlc(bits);
    }
    if (bits.read(1) == 0) {  // decoder_model_info_present_flag
        return {false, 0};
    }
    const int delayLength = static_cast<int>(bits.read(5)) + 1;
    bits.read(32);  // num_units_in_decoding_tick
    bits.read(10);  // buffer_removal_time_length_minus_1, frame_presentation_time_length_minus_1
    return {true, delayLength};
}

// Skips what a sequence header that is not the reduced one holds before its frame size.
void skipOperatingPoints(BitReader& bits) {
    const auto [decoderModel, delayLength] = skipTimingInfo(bits);
    const bool initialDisplayDelay = bits.read(1) != 0;
    const quint32 count = bits.read(5) + 1;
    for (quint32 i = 0; i < count && !bits.failed(); ++i) {
        bits.read(12);  // operating_point_idc
        if (bits.read(5) > 7) {
            bits.read(1);  // seq_tier
        }
        if (decoderModel && bits.read(1) != 0) {
            bits.read(delayLength);  // decoder_buffer_delay
            bits.read(delayLength);  // encoder_buffer_delay
            bits.read(1);            // low_delay_mode_flag
        }
        if (initialDisplayDelay && bits.read(1) != 0) {
            bits.read(4);  // initial_display_delay_minus_1
        }
    }
}

}  // namespace

std::optional<ObuHeader> readHeader(QByteArrayView bytes, quint64 available) {
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    const auto first = static_cast<quint8>(bytes[0]);
    ObuHeader header{.type = (first >> 3) & 15, .length = (first & 4) != 0 ? 2 : 1};
    if ((first & 2) == 0) {  // no obu_has_size_field: the OBU runs to the end
        const bool whole = available >= quint64(header.length);
        header.payloadLength = whole ? available - quint64(header.length) : 0;
        return whole ? std::optional(header) : std::nullopt;
    }
    for (int i = 0; i < leb128Limit; ++i) {
        if (header.length >= bytes.size()) {
            return std::nullopt;
        }
        const auto byte = static_cast<quint8>(bytes[header.length++]);
        header.payloadLength |= quint64(byte & 0x7f) << (7 * i);
        if ((byte & 0x80) == 0) {
            return header;
        }
    }
    return std::nullopt;
}

bool isSequenceHeader(const ObuHeader& header) {
    return header.type == sequenceHeaderType;
}

std::optional<std::vector<QByteArray>> configSequenceHeaders(QByteArrayView box) {
    if (box.size() < configHeaderLength) {
        return std::nullopt;
    }
    std::vector<QByteArray> headers;
    QByteArrayView rest = box.sliced(configHeaderLength);
    while (!rest.isEmpty()) {
        const std::optional<ObuHeader> header = readHeader(rest, quint64(rest.size()));
        if (!header || header->payloadLength > quint64(rest.size() - header->length)) {
            return std::nullopt;
        }
        const auto length = static_cast<qsizetype>(header->payloadLength);
        if (isSequenceHeader(*header)) {
            headers.push_back(rest.sliced(header->length, length).toByteArray());
        }
        rest = rest.sliced(header->length + length);
    }
    return headers;
}

std::optional<QSize> ofSequenceHeader(QByteArrayView payload) {
    BitReader bits(payload.toByteArray());
    bits.read(4);             // seq_profile, still_picture
    if (bits.read(1) != 0) {  // reduced_still_picture_header
        bits.read(5);         // seq_level_idx[0]
    } else {
        skipOperatingPoints(bits);
    }
    const int widthBits = static_cast<int>(bits.read(4)) + 1;
    const int heightBits = static_cast<int>(bits.read(4)) + 1;
    const quint32 width = bits.read(widthBits) + 1;
    const quint32 height = bits.read(heightBits) + 1;
    if (bits.failed()) {
        return std::nullopt;
    }
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

}  // namespace lumivex::Av1PictureSize
