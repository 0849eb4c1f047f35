#include "model/option_text.h"

#include "platform/error.h"

namespace lumivex::OptionText {

bool isValid(const QString& value) {
    return !value.contains(u'\n') && !value.contains(u'\r');
}

void validate(const QString& value) {
    if (!isValid(value)) {
        throw Error(QStringLiteral("Lumivex"), lineBreakCode, lineBreakMessage);
    }
}

}  // namespace lumivex::OptionText
