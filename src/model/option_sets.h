#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

namespace lumivex {

// The options of a property as a set to look values up in, remembered by the list's content: a
// save shapes and writes a property of thousands of options for many folders, each holding its
// own equal copy of the list, and again at the next save. Any thread.
namespace OptionSets {

// The set of `options`. Lists of equal content share one set while it is remembered; a list too
// short to be worth remembering gets a set of its own.
std::shared_ptr<const QSet<QString>> of(const QStringList& options);

}  // namespace OptionSets
}  // namespace lumivex
