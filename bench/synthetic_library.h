#pragma once

#include "model/library.h"

namespace lumivex::bench {

// A library shaped like a real one: items spread evenly over `folderCount` leaf folders two levels
// deep ("set-03/album-0421"), four photos to one video, ratings, people, places, tags and notes.
// The same arguments always give the same file names, values and dates.
Library syntheticLibrary(int itemCount = 100000, int folderCount = 1000);

// The leaf folder key of item number `index` in a library made by syntheticLibrary.
QString syntheticFolder(int index, int itemCount, int folderCount);

}  // namespace lumivex::bench
