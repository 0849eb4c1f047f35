#pragma once

#include "platform/photo_library.h"

#include <functional>
#include <memory>

namespace lumivex {

// Reports changes of the photo library: every notice of the library, whatever thread it comes
// on, gives one call of onChange on the main thread. Registers itself with the library when
// created and unregisters when destroyed; a notice still on its way then does nothing. Created,
// used and destroyed on the main thread; the library must outlive it.
class PhotosChangeObserver {
public:
    explicit PhotosChangeObserver(PhotoLibrary& library);
    ~PhotosChangeObserver();
    PhotosChangeObserver(const PhotosChangeObserver&) = delete;
    PhotosChangeObserver& operator=(const PhotosChangeObserver&) = delete;

    // Set by the owner after creation; empty means notices are ignored.
    std::function<void()> onChange;

private:
    void deliver();

    PhotoLibrary& library_;
    // The handle a posted notice checks on the main thread; it dies with the observer.
    std::shared_ptr<PhotosChangeObserver*> self_;
    PhotoLibrary::ObserverId registration_ = 0;
};

}  // namespace lumivex
