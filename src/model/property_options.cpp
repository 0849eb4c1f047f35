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
        if (TextOrder::equalIgnoringCase(option, needle)) {
            return option;
        }
    }
    return std::nullopt;
}

}  // namespace lumivex::PropertyOptions
