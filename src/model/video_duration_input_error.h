#pragma once

#include <QString>

#include <optional>

namespace lumivex {

class Error;

// Why the four fields of a custom length range were refused. Thrown as a lumivex::Error of
// videoDurationInputDomain whose code is the case's value and whose description is the user text.
enum class VideoDurationInputError { missingBounds, invalidNumber, invalidSeconds, invalidOrder };

inline const QString videoDurationInputDomain = QStringLiteral("Lumivex.VideoDurationInput");

QString localizedDescription(VideoDurationInputError error);
Error makeError(VideoDurationInputError error);
// The case an error carries, when it is one of these.
std::optional<VideoDurationInputError> videoDurationInputError(const Error& error);

}  // namespace lumivex
