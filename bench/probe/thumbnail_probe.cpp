// Makes the thumbnail of every file named on the command line, one after another on one thread as
// one decode thread of the application does, and prints the route each decode took, one line a
// file: our side of the thumbnail references, which run the tools as one process over the set.

#include "media/thumbnail_decoder.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SIZE FILE...\n", argv[0]);
        return 2;
    }
    const QCoreApplication application(argc, argv);
    const int size = std::atoi(argv[1]);
    const std::atomic<bool> goOn{false};
    for (int index = 2; index < argc; ++index) {
        const lumivex::PhotoDecoding decoded =
            lumivex::ThumbnailDecoder::decodePhoto(QString::fromLocal8Bit(argv[index]), size, goOn);
        if (decoded.image.isNull()) {
            std::fprintf(stderr, "cannot decode %s\n", argv[index]);
            return 1;
        }
        std::printf("%d\n", static_cast<int>(decoded.route));
    }
    return 0;
}
