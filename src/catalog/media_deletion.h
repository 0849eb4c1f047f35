#pragma once

#include "catalog/deletion_result.h"

#include <QFuture>

class QObject;

namespace lumivex {

class PhotoLibrary;
class Trash;
struct DeletionRequest;

// Carries out a confirmed deletion: a folder library's files go to the Trash, a photo library's
// assets are deleted from it.
namespace MediaDeletion {

// Checks every item on the calling thread before anything is asked of the Trash or the photo
// library; a refusal comes back as an already finished future. Otherwise the platform works
// elsewhere and the result is made on `context`'s thread, so any continuation the caller
// attaches runs there; if `context` is destroyed first the future is cancelled. The future
// never holds an exception, and the result never names an item that is not gone. `trash` and
// `photos` must outlive the future.
QFuture<DeletionResult> perform(const DeletionRequest& request, Trash& trash, PhotoLibrary& photos,
                                QObject* context);

}  // namespace MediaDeletion
}  // namespace lumivex
