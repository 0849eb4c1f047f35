#include "media/photos_change_observer.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace lumivex {

PhotosChangeObserver::PhotosChangeObserver(PhotoLibrary& library)
    : library_(library), self_(std::make_shared<PhotosChangeObserver*>(this)) {
    registration_ = library_.registerChangeObserver([weak = std::weak_ptr(self_)] {
        // The weak handle is only tested on the main thread, where the observer is destroyed.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak] {
                if (const std::shared_ptr<PhotosChangeObserver*> self = weak.lock()) {
                    (*self)->deliver();
                }
            },
            Qt::QueuedConnection);
    });
}

PhotosChangeObserver::~PhotosChangeObserver() {
    library_.unregisterChangeObserver(registration_);
}

void PhotosChangeObserver::deliver() {
    // A copy, so the handler may destroy this observer while it runs.
    const std::function<void()> handler = onChange;
    if (handler) {
        handler();
    }
}

}  // namespace lumivex
