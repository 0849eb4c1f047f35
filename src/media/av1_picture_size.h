#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>

#include <optional>
#include <vector>

namespace lumivex {

// The largest frame an AV1 sequence header allows, which is what the decoder allocates frames
// for, whatever size the file around it states. On whichever thread calls.
namespace Av1PictureSize {

// The header of an OBU.
struct ObuHeader {
    int type = 0;
    int length = 0;  // the header's own bytes, size field included
    quint64 payloadLength = 0;
};

// The header at the start of `bytes` (a few of the `available` bytes from there to the end of the
// data); none when it is cut short. An OBU without a size field takes all that is available.
std::optional<ObuHeader> readHeader(QByteArrayView bytes, quint64 available);

// Whether an OBU is a sequence header.
bool isSequenceHeader(const ObuHeader& header);

// The payloads of the sequence headers among the configuration OBUs of an 'av1C' box body; none
// when the box is cut short.
std::optional<std::vector<QByteArray>> configSequenceHeaders(QByteArrayView box);

// The largest frame size a sequence header payload allows; none when it cannot be read.
std::optional<QSize> ofSequenceHeader(QByteArrayView payload);

}  // namespace Av1PictureSize
}  // namespace lumivex
