#include "model/property_options.h"

#include "platform/text_order.h"

namespace lumivex::PropertyOptions {

QStringList filtered(const QStringList& options, const QString& search) {
    const QString needle = TextOrder::trimmed(search);
    if (needle.isEmpty()) {
        return options;
    }
    QStringList matches;
    for (const QString& option : options) {
        if (TextOrder::localizedCaseInsensitiveContains(option, needle)) {
            matches.append(option);
        }
    }
    return matches;
}

std::optional<QString> exact(const QStringList& options, const QString& search) {
    const QString needle = TextOrder::trimmed(search);
    for (const QString& option : options) {
        // The collator would also find an option of ignorable characters equal to "".
        if (needle.isEmpty() ? option.isEmpty()
                             : TextOrder::localizedCaseInsensitiveCompare(option, needle) == 0) {
            return option;
        }
    }
    return std::nullopt;
}

}  // namespace lumivex::PropertyOptions
