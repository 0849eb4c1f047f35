#include "model/ffmpeg_allocation_cap.h"

#include <mutex>

extern "C" {
#include <libavutil/mem.h>
}

namespace lumivex::FFmpegAllocationCap {

void apply() {
    static std::once_flag applied;
    std::call_once(applied, [] { av_max_alloc(bytes); });
}

}  // namespace lumivex::FFmpegAllocationCap
