#pragma once

#include "catalog/catalog_cache.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace lumivex {

// SHA-256 digests of metadata files, each remembered with the statx signature of the file it was
// computed from, so that fingerprinting a whole tree after one edit reads only the files that
// changed. A file changed too recently to be told apart from a later change of the same instant
// is read again every time. Main thread only.
class CatalogDigests {
public:
    static CatalogDigests& shared();

    // The digest of the regular file at `path`, whose signature the caller has just read.
    QByteArray digest(const QString& path, const FileSignature& signature);

    // Which of the named entries the folder `path` holds, examined again only when the folder,
    // whose signature the caller has just read, changed: adding, removing or renaming an entry
    // moves the folder's times.
    using Names = std::array<QLatin1StringView, 4>;
    std::array<bool, 4> present(const QString& path, const FileSignature& signature,
                                const Names& names);

    void clear() {
        known_.clear();
        folders_.clear();
    }
    // How many files were read since the cache was made; for diagnosis and tests.
    std::uint64_t fileReads() const { return fileReads_; }
    // Fixes "now" for the settle rule; tests use it to make fresh files count as settled.
    void setNowForTesting(std::optional<std::int64_t> nanoseconds) { fixedNow_ = nanoseconds; }

private:
    struct Known {
        FileSignature signature;
        QByteArray digest;
    };
    struct KnownFolder {
        FileSignature signature;
        std::array<bool, 4> present;
    };

    std::int64_t now() const;
    bool settled(const FileSignature& signature, std::int64_t readAt) const;

    QHash<QString, Known> known_;
    QHash<QString, KnownFolder> folders_;
    std::uint64_t fileReads_ = 0;
    std::optional<std::int64_t> fixedNow_;
};

}  // namespace lumivex
