#pragma once

#include "media_views/media_thumbnail.h"

namespace lumivex {

class LumivexStore;
class LumivexView;

// Puts the inspector's views into the main window's waiting slots: the inspector column (its
// property button opens the property manager), the property manager overlay, and the property
// sheet that the sidebar's buttons open. Main thread.
namespace InspectorSlots {

void install(LumivexView& window, LumivexStore& store, MediaThumbnail::Services thumbnails);

}  // namespace InspectorSlots
}  // namespace lumivex
