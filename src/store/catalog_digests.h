#pragma once

#include "catalog/catalog_cache.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivex {

// SHA-256 digests of metadata files, each remembered with the statx signature of the file it was
// computed from, so that fingerprinting a whole tree after one edit reads only the files that
// changed. A file changed too recently to be told apart from a later change of the same instant
// is read again every time. Changed on the main thread only; the const lookups may run on
// several threads at once while nothing changes it.
class CatalogDigests {
public:
    static CatalogDigests& shared();

    // The entries of a metadata folder that a fingerprint looks for: the two journals of an
    // unfinished save, then the two catalog files.
    static constexpr std::array<QLatin1StringView, 4> metadataNames = {
        QLatin1StringView("pending-write.json"),
        QLatin1StringView("folders-pending.json"),
        QLatin1StringView("lumivex.csv"),
        QLatin1StringView("deleted.csv"),
    };
    using Presence = std::array<bool, metadataNames.size()>;
    // What examining files found out that the cache did not know, gathered on any thread and
    // taken in by learn() on the cache's own.
    struct Findings {
        struct Digest {
            QString path;
            FileSignature signature;
            QByteArray digest;
            bool keep = false;
        };
        struct Presences {
            QString path;
            FileSignature signature;
            Presence present{};
            bool keep = false;
        };
        std::vector<Digest> digests;
        std::vector<Presences> presences;
    };

    // The digest of the regular file at `path`, whose signature the caller has just read. Const
    // and safe beside other const calls: what it reads afresh goes to `findings`.
    QByteArray digest(const QString& path, const FileSignature& signature,
                      Findings& findings) const;

    // Which of the metadata names the folder `path` holds, examined again only when the folder,
    // whose signature the caller has just read, changed: adding, removing or renaming an entry
    // moves the folder's times.
    Presence present(const QString& path, const FileSignature& signature, Findings& findings) const;
    // Takes in what the lookups found, counting each file read.
    void learn(const Findings& findings);

    // What one folder gave the last fingerprint of its tree: its six framed fields, their
    // SHA-256, and the signatures they were made from (the folder, ".lumivex", then the two
    // catalog files; absent ones empty). `settled` tells whether every one of them was settled
    // when read, `listed` whether the folder's own one was, so that it vouches for the folder's
    // subfolders.
    struct FolderFields {
        QByteArray key;
        QString path;
        QByteArray fields;
        std::array<std::optional<FileSignature>, 4> signature;
        bool settled = false;
        bool listed = false;
    };
    // The folders of the last fingerprinted folder tree, in fingerprint order, with the digests
    // of their fields one after the other, which the fingerprint hashes.
    struct Tree {
        QString root;
        std::vector<FolderFields> folders;
        QByteArray digests;
        QHash<QString, std::size_t> positions;  // by folder path
        // When every folder's fields were found so by the notices of a watcher of the tree:
        // while those say nothing of a folder, its fields still describe it.
        std::optional<ChangeNotices::Mark> mark;
    };
    const std::optional<Tree>& lastTree() const { return tree_; }
    std::optional<Tree>& lastTree() { return tree_; }

    void clear() {
        known_.clear();
        folders_.clear();
        tree_.reset();
    }
    // How many files were read since the cache was made; for diagnosis and tests.
    std::uint64_t fileReads() const { return fileReads_; }
    // Fixes "now" for the settle rule; tests use it to make fresh files count as settled.
    void setNowForTesting(std::optional<std::int64_t> nanoseconds) { fixedNow_ = nanoseconds; }

    std::int64_t now() const;

private:
    struct Known {
        FileSignature signature;
        QByteArray digest;
    };
    struct KnownFolder {
        FileSignature signature;
        Presence present;
    };

    QHash<QString, Known> known_;
    QHash<QString, KnownFolder> folders_;
    std::optional<Tree> tree_;
    std::uint64_t fileReads_ = 0;
    std::optional<std::int64_t> fixedNow_;
};

}  // namespace lumivex
