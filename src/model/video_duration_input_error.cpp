#include "model/video_duration_input_error.h"

#include "platform/error.h"

namespace lumivex {

QString localizedDescription(VideoDurationInputError error) {
    switch (error) {
        case VideoDurationInputError::missingBounds:
            return QStringLiteral("최소 또는 최대 시간을 입력해주세요.");
        case VideoDurationInputError::invalidNumber:
            return QStringLiteral("분과 초는 0 이상의 정수로 입력해주세요.");
        case VideoDurationInputError::invalidSeconds:
            return QStringLiteral("초는 0~59 사이로 입력해주세요.");
        case VideoDurationInputError::invalidOrder:
            return QStringLiteral("최대 시간은 최소 시간보다 크거나 같아야 합니다.");
    }
    return {};
}

Error makeError(VideoDurationInputError error) {
    return Error(videoDurationInputDomain, static_cast<int>(error), localizedDescription(error));
}

std::optional<VideoDurationInputError> videoDurationInputError(const Error& error) {
    if (error.domain() != videoDurationInputDomain || error.code() < 0 ||
        error.code() > static_cast<int>(VideoDurationInputError::invalidOrder)) {
        return std::nullopt;
    }
    return static_cast<VideoDurationInputError>(error.code());
}

}  // namespace lumivex
