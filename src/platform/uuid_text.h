#pragma once

#include <QString>
#include <QUuid>

#include <optional>

namespace lumivex {

// The standard 36-character text of a UUID, the form every file and every map key uses.
namespace UuidText {

// Upper-case hexadecimal digits: "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
QString upper(const QUuid& id);
// The standard 8-4-4-4-12 form in either letter case, nothing else (no braces, no spaces).
std::optional<QUuid> parse(QStringView text);

}  // namespace UuidText
}  // namespace lumivex
