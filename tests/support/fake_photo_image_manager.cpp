#include "support/fake_photo_image_manager.h"

#include "platform/photo_library.h"

namespace lumivex::test {

PhotoImageRequestId FakePhotoImageManager::requestImage(const PhotoAsset& asset,
                                                        const PhotoImageRequest& request,
                                                        ResultHandler onResult,
                                                        ProgressHandler onProgress) {
    const PhotoImageRequestId id = nextId_++;
    requests.append(
        {id, asset.localIdentifier, request, std::move(onResult), std::move(onProgress), false});
    return id;
}

void FakePhotoImageManager::cancelImageRequest(PhotoImageRequestId id) {
    cancellations.append(id);
    for (Request& request : requests) {
        if (request.id == id) {
            request.cancelled = true;
        }
    }
}

void FakePhotoImageManager::play(PhotoImageRequestId id) {
    for (const Request& request : requests) {
        if (request.id != id) {
            continue;
        }
        const Script script = scripts[request.localIdentifier];
        for (const double value : script.progress) {
            if (request.onProgress) {
                request.onProgress(value);
            }
        }
        for (const PhotoImageDelivery& delivery : script.deliveries) {
            request.onResult(delivery);
        }
        return;
    }
}

}  // namespace lumivex::test
