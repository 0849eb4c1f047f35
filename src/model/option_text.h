#pragma once

#include <QString>

namespace lumivex {

// The rule every option value obeys before it is stored: catalog cells are split at line breaks,
// so a value holding one would split into two values or break every later save.
namespace OptionText {

inline const QString lineBreakMessage = QStringLiteral("옵션 값에는 줄바꿈을 넣을 수 없습니다.");
constexpr int lineBreakCode = 5;

bool isValid(const QString& value);
// Throws the "Lumivex" code 5 error when `value` holds a carriage return or a line feed.
void validate(const QString& value);

}  // namespace OptionText
}  // namespace lumivex
