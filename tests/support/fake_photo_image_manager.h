#pragma once

#include "media/photo_image_manager.h"

#include <QList>

#include <map>

namespace lumivex::test {

// An image manager that answers nothing until the test plays a request's script: its progress
// values, then its deliveries, on the calling thread.
class FakePhotoImageManager final : public PhotoImageManager {
public:
    struct Script {
        QList<double> progress;
        QList<PhotoImageDelivery> deliveries;
    };
    struct Request {
        PhotoImageRequestId id = 0;
        QString localIdentifier;
        PhotoImageRequest request;
        ResultHandler onResult;
        ProgressHandler onProgress;
        bool cancelled = false;
    };

    std::map<QString, Script> scripts;  // by local identifier
    QList<Request> requests;            // every request, in order
    QList<PhotoImageRequestId> cancellations;

    PhotoImageRequestId requestImage(const PhotoAsset& asset, const PhotoImageRequest& request,
                                     ResultHandler onResult, ProgressHandler onProgress) override;
    void cancelImageRequest(PhotoImageRequestId id) override;

    // Plays the script of the asset of request `id`, also after it was cancelled (as a late
    // answer would come).
    void play(PhotoImageRequestId id);

private:
    PhotoImageRequestId nextId_ = 1;
};

}  // namespace lumivex::test
