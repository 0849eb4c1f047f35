#include "store/lumivex_store.h"

#include "platform/photo_library.h"
#include "platform/user_defaults.h"
#include "store/store_paths.h"

namespace lumivex {

namespace {

const QString sourceKey = QStringLiteral("Lumivex.source");
const QString libraryRootKey = QStringLiteral("Lumivex.libraryRoot");

// The path after the first "--library", when one follows it.
std::optional<QString> temporaryLibrary(const QStringList& arguments) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--library"));
    if (at < 0 || at + 1 >= arguments.size()) {
        return std::nullopt;
    }
    return arguments[at + 1];
}

bool isGranted(PhotoAuthorizationStatus status) {
    return status == PhotoAuthorizationStatus::authorized ||
           status == PhotoAuthorizationStatus::limited;
}

}  // namespace

void LumivexStore::restore() {
    const std::optional<QString> temporary = temporaryLibrary(services_.arguments);
    usesTemporaryRoot_ = temporary.has_value();
    const std::optional<QString> source = services_.defaults->text(sourceKey);
    const std::optional<QString> rememberedRoot = services_.defaults->text(libraryRootKey);
    if (!usesTemporaryRoot_) {
        recentFolders_ = RecentFolderHistory::load(*services_.defaults, rememberedRoot);
        Q_EMIT recentFoldersChanged();
    }
    if (temporary) {
        openLibrary(StorePaths::standardized(*temporary), true, true);
        return;
    }
    restoreRemembered(source, rememberedRoot);
}

void LumivexStore::restoreRemembered(const std::optional<QString>& source,
                                     const std::optional<QString>& rememberedRoot) {
    if (source == QStringLiteral("photos") ||
        services_.arguments.contains(QStringLiteral("--connect-photos"))) {
        if (isGranted(services_.photos->authorizationStatus())) {
            connectPhotos();
        } else {
            assignNeedsPhotosSetup(true);
        }
        return;
    }
    if (source != QStringLiteral("folder") || !rememberedRoot || rememberedRoot->isEmpty()) {
        return;
    }
    const QString folder = StorePaths::standardized(*rememberedRoot);
    if (StorePaths::isDirectory(folder)) {
        openLibrary(folder, true, false);
    } else {
        assignRoot(folder);
    }
}

}  // namespace lumivex
