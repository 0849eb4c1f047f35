#include "browser/shown_library.h"

#include "store/lumivex_store.h"

namespace lumivex::ShownLibrary {

std::optional<Category> ratingProperty(const LumivexStore& store) {
    if (store.source() == LibrarySource::none) {
        return std::nullopt;
    }
    return store.library().ratingProperty();
}

QList<Category> tagProperties(LumivexStore& store) {
    if (store.source() == LibrarySource::none) {
        return {};
    }
    return store.folderScope().library.tagProperties();
}

}  // namespace lumivex::ShownLibrary
