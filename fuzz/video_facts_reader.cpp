// Reads arbitrary bytes as a video file for the facts the library keeps and the player needs: its
// length, its capture date and whether its picture is AV1, as videos from anywhere are read. Our
// reader hands libavformat the file through its own descriptor and seeks; whatever the container
// says, those stay inside the file and nothing throws but the documented refusal.
#include "media/video_compatibility.h"
#include "memory_file.h"
#include "model/capture_date_reader.h"
#include "model/video_asset.h"
#include "platform/error.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" {
#include <libavutil/log.h>
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    const QString& path = file.hold(data, size);
    {
        lumivex::VideoAsset asset(path);
        const std::optional<double> duration = asset.duration();
        if (duration && (!std::isfinite(*duration) || *duration < 0)) {
            std::abort();
        }
        (void)lumivex::CaptureDateReader::videoDate(asset);
    }
    try {
        (void)lumivex::VideoCompatibility::requiresCopy(path);
    } catch (const lumivex::Error&) {
        // Not a media file: the refusal the header names.
    }
    return 0;
}
