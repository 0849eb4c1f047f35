// Reads the capture date of arbitrary bytes as an image file, as photos from anywhere are read:
// Exiv2 reads through our file source (seeks past the end, short reads, mappings), then the PNG
// text chunks are tried. Never throws, whatever the file holds.
#include "memory_file.h"
#include "model/capture_date_reader.h"

#include <QtGlobal>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    (void)quiet;
    (void)lumivex::CaptureDateReader::imageDate(file.hold(data, size));
    return 0;
}
