#include "media/ffmpeg_handles.h"

#include "model/ffmpeg_allocation_cap.h"
#include "platform/error.h"
#include "platform/system_reason.h"

#include <QFile>

extern "C" {
#include <libavutil/error.h>
}

namespace lumivex::FFmpegHandles {

namespace {

// Every failure code of the libraries is a negative errno or a tag; both fit in an int. A tag is
// far below any errno, which the system's reasons describe.
QString reasonOf(int code) {
    constexpr int highestErrno = 4095;  // the kernel's own bound
    if (-code <= highestErrno) {
        return SystemReason::text(-code);
    }
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, reason, sizeof reason);
    return QString::fromUtf8(reason);
}

Error makeError(int code, const char* what) {
    return Error(QString::fromLatin1(errorDomain), code,
                 QStringLiteral("영상을 처리하지 못했습니다: %1 (%2)")
                     .arg(QString::fromUtf8(what), reasonOf(code)));
}

}  // namespace

void OutputCloser::operator()(AVFormatContext* context) const {
    if (context == nullptr) {
        return;
    }
    if ((context->oformat->flags & AVFMT_NOFILE) == 0) {
        avio_closep(&context->pb);
    }
    avformat_free_context(context);
}

int check(int result, const char* what) {
    if (result < 0) {
        throw makeError(result, what);
    }
    return result;
}

void fail(const char* what) {
    throw makeError(AVERROR_UNKNOWN, what);
}

Input openInput(const QString& path, bool readStreamInfo) {
    FFmpegAllocationCap::apply();
    const QByteArray encoded = QFile::encodeName(path);
    AVFormatContext* context = nullptr;
    check(avformat_open_input(&context, encoded.constData(), nullptr, nullptr), "open");
    Input input(context);
    if (readStreamInfo) {
        check(avformat_find_stream_info(context, nullptr), "read streams");
    }
    return input;
}

Frame makeFrame() {
    Frame frame(av_frame_alloc());
    if (!frame) {
        fail("allocate frame");
    }
    return frame;
}

Packet makePacket() {
    Packet packet(av_packet_alloc());
    if (!packet) {
        fail("allocate packet");
    }
    return packet;
}

}  // namespace lumivex::FFmpegHandles
