#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex {

// The two searches of the option picker over one property's option list.
namespace PropertyOptions {

// The options containing the trimmed search text, ignoring case, in their order; every option
// when the trimmed text is empty.
QStringList filtered(const QStringList& options, const QString& search);
// The first option equal to the trimmed search text ignoring case.
std::optional<QString> exact(const QStringList& options, const QString& search);

}  // namespace PropertyOptions
}  // namespace lumivex
