#include "store/catalog_digests.h"

#include "platform/error.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace lumivex {

namespace {

QByteArray readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Error::fromErrno(errno != 0 ? errno : EACCES, path);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw Error::fromErrno(errno != 0 ? errno : EIO, path);
    }
    return bytes;
}

}  // namespace

CatalogDigests& CatalogDigests::shared() {
    static CatalogDigests digests;
    return digests;
}

std::int64_t CatalogDigests::now() const {
    if (fixedNow_) {
        return *fixedNow_;
    }
    struct timespec time {};
    clock_gettime(CLOCK_REALTIME, &time);
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// The digest is kept only when the file stayed as it was while it was read and its last change
// is old enough that a later change must move its times.
QByteArray CatalogDigests::digest(const QString& path, const FileSignature& signature) {
    const auto known = known_.constFind(path);
    if (known != known_.constEnd() && known->signature == signature) {
        return known->digest;
    }
    const std::int64_t readAt = now();
    const QByteArray digest = QCryptographicHash::hash(readWhole(path), QCryptographicHash::Sha256);
    ++fileReads_;
    const std::optional<FileSignature> after = FileSignature::read(path);
    if (after == signature && signature.settledAt(readAt)) {
        known_.insert(path, {signature, digest});
    } else {
        known_.remove(path);
    }
    return digest;
}

CatalogDigests::Presence CatalogDigests::present(const QString& path,
                                                 const FileSignature& signature) {
    const auto known = folders_.constFind(path);
    if (known != folders_.constEnd() && known->signature == signature) {
        return known->present;
    }
    const std::int64_t readAt = now();
    Presence present{};
    for (size_t index = 0; index < metadataNames.size(); ++index) {
        present[index] = FileSignature::read(path + u'/' + metadataNames[index]).has_value();
    }
    if (FileSignature::read(path) == signature && signature.settledAt(readAt)) {
        folders_.insert(path, {signature, present});
    } else {
        folders_.remove(path);
    }
    return present;
}

}  // namespace lumivex
