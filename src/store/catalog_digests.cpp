#include "store/catalog_digests.h"

#include "platform/error.h"
#include "platform/sha256.h"

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
QByteArray CatalogDigests::digest(const QString& path, const FileSignature& signature,
                                  Findings& findings) const {
    const auto known = known_.constFind(path);
    if (known != known_.constEnd() && known->signature == signature) {
        return known->digest;
    }
    // What the catalog's last settled read of the file hashed, bound to the same signature.
    if (QByteArray read = CatalogCache::shared().digestOf(path, signature); !read.isEmpty()) {
        return read;
    }
    const std::int64_t readAt = now();
    const QByteArray digest = Sha256::of(readWhole(path));
    const std::optional<FileSignature> after = FileSignature::read(path);
    findings.digests.push_back(
        {path, signature, digest, after == signature && signature.settledAt(readAt)});
    return digest;
}

CatalogDigests::Presence CatalogDigests::present(const QString& path,
                                                 const FileSignature& signature,
                                                 Findings& findings) const {
    const auto known = folders_.constFind(path);
    if (known != folders_.constEnd() && known->signature == signature) {
        return known->present;
    }
    const std::int64_t readAt = now();
    Presence present{};
    for (size_t index = 0; index < metadataNames.size(); ++index) {
        present[index] = FileSignature::read(path + u'/' + metadataNames[index]).has_value();
    }
    findings.presences.push_back(
        {path, signature, present,
         FileSignature::read(path) == signature && signature.settledAt(readAt)});
    return present;
}

void CatalogDigests::learn(const Findings& findings) {
    for (const Findings::Digest& found : findings.digests) {
        ++fileReads_;
        if (found.keep) {
            known_.insert(found.path, {found.signature, found.digest});
        } else {
            known_.remove(found.path);
        }
    }
    for (const Findings::Presences& found : findings.presences) {
        if (found.keep) {
            folders_.insert(found.path, {found.signature, found.present});
        } else {
            folders_.remove(found.path);
        }
    }
}

}  // namespace lumivex
