#pragma once

#include "catalog/library_state.h"

#include <optional>

namespace lumivex {

// An edit of the user's taken onto a change another program made to the catalogs meanwhile,
// when the two never touch the same field of the same item. Pure; any thread.
namespace OutsideMerge {

// `base` is the state the edit was made from, `edited` the edit and `outside` the tree as read
// again. The result is `outside` with the edit's ratings, notes and values laid over it: nothing
// when either side changed anything but those fields of items all three hold alike, or both
// changed the same field of one item (its rating, its notes, or its values of one property)
// differently.
std::optional<LibraryState> merged(const LibraryState& base, const LibraryState& edited,
                                   const LibraryState& outside);

}  // namespace OutsideMerge
}  // namespace lumivex
