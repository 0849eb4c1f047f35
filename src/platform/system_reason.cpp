#include "platform/system_reason.h"

#include <cerrno>
#include <cstring>

namespace lumivex::SystemReason {

QString text(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return QStringLiteral("파일이나 폴더가 없습니다");
        case ENOTDIR:
            return QStringLiteral("폴더가 아닙니다");
        case EACCES:
            return QStringLiteral("권한이 없습니다");
        case EPERM:
            return QStringLiteral("허용되지 않는 작업입니다");
        case EROFS:
            return QStringLiteral("읽기 전용 파일 시스템입니다");
        case ENOSPC:
            return QStringLiteral("디스크 공간이 부족합니다");
        case EDQUOT:
            return QStringLiteral("할당량을 초과했습니다");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("열린 파일이 너무 많습니다");
        case ENAMETOOLONG:
            return QStringLiteral("이름이 너무 깁니다");
        case ELOOP:
            return QStringLiteral("심볼릭 링크 단계가 너무 많습니다");
        case EIO:
            return QStringLiteral("입출력 오류가 발생했습니다");
        default:
            return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

}  // namespace lumivex::SystemReason
