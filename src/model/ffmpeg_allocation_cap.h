#pragma once

#include <cstddef>

namespace lumivex {

// The largest block the FFmpeg libraries may allocate in this process. A damaged file's header
// can declare a count that makes a demuxer zero gigabytes before it finds the file too short
// (800 bytes asking for 2 GB); no real picture plane or index comes near the cap, so such a file
// fails to open instead. Applied once, before any file is opened; any thread.
namespace FFmpegAllocationCap {

constexpr std::size_t bytes = std::size_t{128} << 20;

void apply();

}  // namespace FFmpegAllocationCap
}  // namespace lumivex
