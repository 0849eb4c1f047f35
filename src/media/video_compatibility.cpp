#include "media/video_compatibility.h"

#include "media/ffmpeg_handles.h"
#include "platform/decimal_text.h"
#include "platform/error.h"
#include "platform/file_status.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <cstdlib>

namespace lumivex::VideoCompatibility {

namespace {

// Bumped whenever the form of the copies changes, so that older copies are never played.
const QString copyFormatVersion = QStringLiteral("h264-v1");

QString resolvedPath(const QString& path) {
    const QString standardized = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QByteArray encoded = QFile::encodeName(standardized);
    char* resolved = realpath(encoded.constData(), nullptr);
    if (resolved == nullptr) {
        return standardized;
    }
    const QString result = QFile::decodeName(resolved);
    std::free(resolved);
    return result;
}

QString dateText(const std::optional<Date>& date) {
    return date ? DecimalText::shortest(date->secondsSince1970) : QStringLiteral("-1.0");
}

bool isAV1Picture(const AVStream& stream) {
    return stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           stream.codecpar->codec_id == AV_CODEC_ID_AV1;
}

}  // namespace

Error makeError(ErrorCode code) {
    switch (code) {
        case ErrorCode::cannotConvert:
            return Error(errorDomain, 1,
                         QStringLiteral("이 AV1 영상의 호환 재생용 사본을 만들 수 없습니다."));
        case ErrorCode::sourceChanged:
            return Error(errorDomain, 2,
                         QStringLiteral("영상 파일이 변경되었습니다. 미리보기를 다시 열어주세요."));
        case ErrorCode::stillAV1:
            break;
    }
    return Error(errorDomain, 3, QStringLiteral("호환 재생용 영상의 변환을 완료하지 못했습니다."));
}

const QString& root() {
    static const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
        QStringLiteral("/Lumivex/VideoCompatibility");
    return folder;
}

bool requiresCopy(const QString& path) {
    FFmpegHandles::Input input = FFmpegHandles::openInput(path, false);
    for (unsigned int index = 0; index < input->nb_streams; ++index) {
        if (isAV1Picture(*input->streams[index])) {
            return true;
        }
    }
    // Containers that do not name their codecs in the header (MPEG transport streams) are probed.
    for (unsigned int index = 0; index < input->nb_streams; ++index) {
        if (input->streams[index]->codecpar->codec_id == AV_CODEC_ID_NONE) {
            FFmpegHandles::check(avformat_find_stream_info(input.get(), nullptr), "read streams");
            for (unsigned int probed = 0; probed < input->nb_streams; ++probed) {
                if (isAV1Picture(*input->streams[probed])) {
                    return true;
                }
            }
            return false;
        }
    }
    return false;
}

QString cacheKey(const QString& path) {
    const QString resolved = resolvedPath(path);
    const FileStatus status = FileStatus::read(resolved);
    const QStringList parts = {copyFormatVersion, resolved, DecimalText::integer(status.size),
                               dateText(status.modified), dateText(status.created)};
    const QByteArray digest =
        QCryptographicHash::hash(parts.join(u'\n').toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

}  // namespace lumivex::VideoCompatibility
