#include "media/xdg_photo_library.h"

#include "catalog/folder_watcher.h"
#include "media/photo_file_facts.h"
#include "platform/photo_consent_prompt.h"
#include "platform/trash.h"
#include "platform/user_defaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThreadPool>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

namespace lumivex {

namespace {

const QString picturesTag = QStringLiteral("pictures");
const QString videosTag = QStringLiteral("videos");

PhotoAuthorizationStatus storedConsent(const UserDefaults& defaults) {
    switch (defaults.integerValue(XdgPhotoLibrary::consentKey).value_or(0)) {
        case static_cast<int>(PhotoAuthorizationStatus::denied):
            return PhotoAuthorizationStatus::denied;
        case static_cast<int>(PhotoAuthorizationStatus::authorized):
            return PhotoAuthorizationStatus::authorized;
        case static_cast<int>(PhotoAuthorizationStatus::limited):
            return PhotoAuthorizationStatus::limited;
        default:
            return PhotoAuthorizationStatus::notDetermined;
    }
}

PhotoAuthorizationStatus statusOf(PhotoConsentAnswer answer) {
    switch (answer) {
        case PhotoConsentAnswer::allowAll:
            return PhotoAuthorizationStatus::authorized;
        case PhotoConsentAnswer::picturesOnly:
            return PhotoAuthorizationStatus::limited;
        case PhotoConsentAnswer::refuse:
            break;
    }
    return PhotoAuthorizationStatus::denied;
}

bool isReadableFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(name.constData(), R_OK | X_OK) == 0;
}

Error notInLibrary(const QString& identifier) {
    return Error(QStringLiteral("Lumivex.Photos"), 1,
                 QStringLiteral("‘%1’ 항목을 사진 보관함에서 찾을 수 없습니다.")
                     .arg(identifier.section(u'/', -1)));
}

// All or nothing: when one file did not move, every file that did goes back.
PhotoChangeOutcome settle(Trash& trash, qsizetype requested, const TrashOutcome& outcome) {
    if (static_cast<qsizetype>(outcome.moved.size()) == requested) {
        return {PhotoChangeOutcome::Status::succeeded, std::nullopt};
    }
    QStringList stranded;
    for (const auto& [original, inTrash] : outcome.moved) {
        if (trash.putBack(inTrash, original)) {
            stranded.append(QFileInfo(original).fileName());
        }
    }
    Error reason =
        outcome.error.value_or(Error(QStringLiteral("Lumivex.Trash"), 1,
                                     QStringLiteral("파일을 휴지통으로 이동하지 못했습니다.")));
    if (!stranded.isEmpty()) {
        reason = Error(reason.domain(), reason.code(),
                       reason.description() + QStringLiteral("\n휴지통에 남은 파일: ") +
                           stranded.join(QStringLiteral(", ")));
    }
    return {PhotoChangeOutcome::Status::failed, reason};
}

}  // namespace

QList<PhotoRoot> XdgPhotoLibrary::standardRoots() {
    const QString home = QDir::cleanPath(QDir::homePath());
    QList<PhotoRoot> roots;
    for (const auto& [tag, location] : {std::pair{picturesTag, QStandardPaths::PicturesLocation},
                                        std::pair{videosTag, QStandardPaths::MoviesLocation}}) {
        const QString path = QDir::cleanPath(QStandardPaths::writableLocation(location));
        if (!path.isEmpty() && path != home) {
            roots.append({tag, path});
        }
    }
    return roots;
}

XdgPhotoLibrary::XdgPhotoLibrary(UserDefaults& defaults, Trash& trash, QList<PhotoRoot> roots)
    : defaults_(defaults),
      trash_(trash),
      roots_(std::move(roots)),
      consent_(storedConsent(defaults)),
      facts_(std::make_unique<PhotoFileFacts>()),
      decoders_(std::make_unique<QThreadPool>()),
      firstDecoder_(std::make_unique<QThreadPool>()) {
    decoders_->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
    firstDecoder_->setMaxThreadCount(1);
}

XdgPhotoLibrary::~XdgPhotoLibrary() {
    // Decodes still queued or running refer to this library.
    for (QThreadPool* pool : {decoders_.get(), firstDecoder_.get()}) {
        pool->clear();
        pool->waitForDone();
    }
}

void XdgPhotoLibrary::recordConsent(PhotoConsentAnswer answer) {
    const PhotoAuthorizationStatus status = statusOf(answer);
    defaults_.setInteger(consentKey, static_cast<int>(status));
    consent_ = status;
    if (!observers_.empty()) {
        watchVisibleRoots();
    }
}

QStringList XdgPhotoLibrary::folders() const {
    QStringList paths;
    for (const PhotoRoot& root : roots_) {
        paths.append(root.path);
    }
    return paths;
}

PhotoAuthorizationStatus XdgPhotoLibrary::authorizationStatus() const {
    const bool readable = std::any_of(roots_.begin(), roots_.end(), [](const PhotoRoot& root) {
        return isReadableFolder(root.path);
    });
    return readable ? consent_.load() : PhotoAuthorizationStatus::restricted;
}

QFuture<PhotoAuthorizationStatus> XdgPhotoLibrary::requestAuthorization() {
    const PhotoAuthorizationStatus status = authorizationStatus();
    if (status != PhotoAuthorizationStatus::notDetermined || prompt_ == nullptr) {
        return QtFuture::makeReadyFuture(status);
    }
    if (pendingAnswer_ && !pendingAnswer_->isFinished()) {
        return *pendingAnswer_;
    }
    pendingAnswer_ = prompt_->ask()
                         .then(this,
                               [this](const QFuture<PhotoConsentAnswer>& answered) {
                                   if (answered.resultCount() > 0) {
                                       recordConsent(answered.result());
                                   }
                                   return authorizationStatus();
                               })
                         .onCanceled(this, [this] { return authorizationStatus(); });
    return *pendingAnswer_;
}

QStringList XdgPhotoLibrary::shownTags() const {
    switch (consent_.load()) {
        case PhotoAuthorizationStatus::authorized:
            return {picturesTag, videosTag};
        case PhotoAuthorizationStatus::limited:
            return {picturesTag};
        default:
            return {};
    }
}

QList<PhotoRoot> XdgPhotoLibrary::shownRoots() const {
    const QStringList shown = shownTags();
    QList<PhotoRoot> roots = roots_;
    roots.removeIf([&](const PhotoRoot& root) { return !shown.contains(root.tag); });
    return roots;
}

std::optional<QString> XdgPhotoLibrary::resolve(const QString& identifier) const {
    return PhotoFolderListing::resolve(roots_, shownTags(), identifier);
}

QList<PhotoAsset> XdgPhotoLibrary::fetchAssets(const QStringList& localIdentifiers) const {
    const QStringList shown = shownTags();
    QList<PhotoAsset> found;
    for (const QString& identifier : localIdentifiers) {
        if (std::optional<PhotoAsset> asset =
                PhotoFolderListing::asset(roots_, shown, identifier, *facts_)) {
            found.append(std::move(*asset));
        }
    }
    return found;
}

QList<PhotoAsset> XdgPhotoLibrary::fetchAllAssets(const CancellationCheck& isCancelled) const {
    return PhotoFolderListing::list(roots_, shownTags(), *facts_, isCancelled);
}

QUrl XdgPhotoLibrary::playerItemUrl(const PhotoAsset& asset) const {
    const std::optional<QString> path = resolve(asset.localIdentifier);
    return path ? QUrl::fromLocalFile(*path) : QUrl();
}

QFuture<PhotoChangeOutcome> XdgPhotoLibrary::deleteAssets(const QList<PhotoAsset>& assets) {
    QStringList paths;
    for (const PhotoAsset& asset : assets) {
        const std::optional<QString> path = resolve(asset.localIdentifier);
        if (!path) {
            return QtFuture::makeReadyFuture(PhotoChangeOutcome{
                PhotoChangeOutcome::Status::failed, notInLibrary(asset.localIdentifier)});
        }
        if (!paths.contains(*path)) {
            paths.append(*path);
        }
    }
    Trash* trash = &trash_;
    const qsizetype requested = paths.size();
    return trash_.moveToTrash(paths).then([trash, requested](const TrashOutcome& outcome) {
        return settle(*trash, requested, outcome);
    });
}

PhotoLibrary::ObserverId XdgPhotoLibrary::registerChangeObserver(ChangeHandler handler) {
    std::unique_lock lock(observersMutex_);
    const ObserverId id = nextObserver_++;
    observers_.emplace(id, std::move(handler));
    const bool first = observers_.size() == 1;
    lock.unlock();
    if (first) {
        watchVisibleRoots();
    }
    return id;
}

void XdgPhotoLibrary::unregisterChangeObserver(ObserverId id) {
    std::unique_lock lock(observersMutex_);
    observers_.erase(id);
    const bool none = observers_.empty();
    lock.unlock();
    if (none) {
        watchers_.clear();
    }
}

void XdgPhotoLibrary::watchVisibleRoots() {
    watchers_.clear();
    for (const PhotoRoot& root : shownRoots()) {
        if (std::unique_ptr<FolderWatcher> watcher =
                FolderWatcher::create(root.path, [this] { notifyObservers(); })) {
            watchers_.push_back(std::move(watcher));
        }
    }
}

void XdgPhotoLibrary::notifyObservers() {
    std::lock_guard lock(observersMutex_);
    for (const auto& [id, handler] : observers_) {
        handler();
    }
}

}  // namespace lumivex
