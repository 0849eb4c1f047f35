#include "platform/error.h"

#include "platform/system_reason.h"

namespace lumivex {

Error::Error(QString domain, int code, QString description)
    : domain_(std::move(domain)),
      code_(code),
      description_(std::move(description)),
      utf8_(description_.toUtf8()) {}

Error Error::fromErrno(int errorNumber, const QString& path) {
    return Error(posixDomain, errorNumber,
                 QStringLiteral("파일 작업에 실패했습니다: %1 (%2)")
                     .arg(path, SystemReason::text(errorNumber)));
}

int Error::systemErrorNumber() const {
    return domain_ == posixDomain ? code_ : 0;
}

}  // namespace lumivex
