#pragma once

#include "model/library.h"

#include <QList>

#include <optional>

namespace lumivex {

class LumivexStore;

// What of the library the window offers. The store keeps its default library while none is open,
// and the window must not offer its properties as if they were the user's: with no source the
// library reads as empty, so no rating row or picker and no property section or picker show.
// Main thread.
namespace ShownLibrary {

// The rating property; none while no library is open.
std::optional<Category> ratingProperty(const LumivexStore& store);
// The user-made properties of the folder scope, in order; none while no library is open.
QList<Category> tagProperties(LumivexStore& store);

}  // namespace ShownLibrary
}  // namespace lumivex
