#include "unwatched_store_services.h"

#include <functional>
#include <memory>

namespace lumivex::bench {

LumivexStore::Services UnwatchedStoreServices::services() {
    LumivexStore::Services services;
    services.defaults = &defaults;
    services.photos = &photos;
    services.trash = &trash;
    services.shell = &shell;
    services.clock = &clock;
    services.watchers = [](const QString&, std::function<void()>) {
        return std::shared_ptr<void>();
    };
    services.homeFolder = folder.path();
    services.photosMetadataFolder = folder.path() + QStringLiteral("/photos");
    services.photosLegacyFolders = QStringList();
    return services;
}

}  // namespace lumivex::bench
