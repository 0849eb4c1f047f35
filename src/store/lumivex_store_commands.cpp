#include "platform/app_brand.h"
#include "platform/atomic_file.h"
#include "platform/photo_library.h"
#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "store/shell_services.h"
#include "store/store_paths.h"

#include <QFileInfo>

namespace lumivex {

void LumivexStore::chooseLibrary() {
    if (deleting_) {
        return;
    }
    const QString start = QFileInfo::exists(root_) ? root_ : QFileInfo(root_).absolutePath();
    const std::optional<QString> folder = services_.shell->chooseFolder(
        start,
        QStringLiteral("사진·영상이 있는 폴더를 선택하세요. 하위폴더까지 읽고, 각 폴더 안의 숨김 "
                       "CSV로 별점·분류를 관리합니다."),
        QStringLiteral("폴더 연결"));
    if (folder) {
        openLibrary(StorePaths::standardized(*folder), true, true);
    }
}

void LumivexStore::choosePhotosSource() {
    if (deleting_) {
        return;
    }
    const PhotoAuthorizationStatus status = services_.photos->authorizationStatus();
    const bool granted = status == PhotoAuthorizationStatus::authorized ||
                         status == PhotoAuthorizationStatus::limited;
    if (granted &&
        services_.defaults->boolValue(QStringLiteral("Lumivex.photosSetupCompleted")) == true) {
        connectPhotos();
    } else {
        setShowPhotosSetup(true);
    }
}

void LumivexStore::showFiles() {
    if (source_ != LibrarySource::none) {
        services_.shell->open(root_);
    }
}

void LumivexStore::showMetadataFolder() {
    if (source_ != LibrarySource::none) {
        services_.shell->open(StorePaths::metadataFolder(root_));
    }
}

void LumivexStore::showFolder(const QString& folder) {
    if (source_ == LibrarySource::folder) {
        services_.shell->open(folder.isEmpty() ? root_ : root_ + QLatin1Char('/') + folder);
    }
}

void LumivexStore::showPhotosFolder() {
    services_.shell->open(services_.photosFolder);
}

// A photo-library item is shown in the folder that holds its file; the Pictures folder stands
// in only when the library no longer knows the file.
void LumivexStore::reveal(const MediaItem& item) {
    const QString photosPrefix = QStringLiteral("photos:");
    if (!item.fileIdentity.startsWith(photosPrefix)) {
        services_.shell->reveal(root_ + QLatin1Char('/') + item.filename);
        return;
    }
    const QList<PhotoAsset> assets =
        services_.photos->fetchAssets({item.fileIdentity.mid(photosPrefix.size())});
    const QUrl file = assets.isEmpty() ? QUrl() : services_.photos->playerItemUrl(assets.first());
    if (file.isLocalFile()) {
        services_.shell->reveal(file.toLocalFile());
    } else {
        showPhotosFolder();
    }
}

void LumivexStore::exportCSV() {
    if (source_ == LibrarySource::none) {
        return;
    }
    const std::optional<QString> file = services_.shell->chooseExportFile(
        AppBrand::name() + QStringLiteral("-분류.csv"),
        QStringLiteral("현재 사진·영상의 분류를 내보냅니다. 삭제 기록은 .lumivex/deleted.csv에 "
                       "별도로 보관합니다."));
    if (!file) {
        return;
    }
    try {
        AtomicFile::write(*file, library_.csv().toUtf8());
    } catch (const Error& error) {
        setError(QStringLiteral("CSV 내보내기에 실패했습니다.\n") + error.description());
    }
}

}  // namespace lumivex
