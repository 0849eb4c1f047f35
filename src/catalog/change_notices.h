#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <utility>

namespace lumivex {

// What a folder watcher told of the paths under one root since it started, kept so that a save
// can pass over the folders nothing happened to since it last proved them, without looking at
// them again. A notice names the folder whose entries changed and the entry; one that cannot be
// placed, lost events, or a watcher that stopped or could not cover the whole tree make every
// earlier proof void. Main thread only, like the watcher that feeds it.
class ChangeNotices {
public:
    // The moment of a proof: the notices collected up to it belong to its past.
    struct Mark {
        std::uint64_t ledger = 0;
        std::uint64_t sequence = 0;

        bool operator==(const Mark&) const = default;
    };

    explicit ChangeNotices(QString root);

    // From the watcher: something happened to the entry `name` of `folder` (to `folder` itself
    // when `name` is empty).
    // `reshapes` when a folder was made, moved or removed, or the folder itself changed.
    void note(const QString& folder, const QString& name, bool reshapes);
    // From the watcher: events were lost. Proofs made before are void; the watcher has looked
    // for unwatched folders again, so later ones hold.
    void noteLoss();
    // The watcher reads the events the system has already queued when asked to collect.
    void setCollector(std::function<void()> collector);
    // The watcher stopped, or could not watch a folder of the tree: these notices vouch for
    // nothing any more.
    void close();

    const QString& root() const { return root_; }

    // Takes in every event already queued and gives the mark a proof made after this call earns;
    // nothing while the notices cannot vouch for the tree.
    std::optional<Mark> collect();
    // Whether nothing was noted since `mark` of the folder at `path` (the folder's entries, its
    // metadata folder's entries, or the folder or one of its parents under the root replaced).
    bool quietSince(const QString& path, const Mark& mark) const;
    // Whether no folder of the tree was made, moved, removed or changed itself since `mark`: the
    // tree's folders are the ones listed then.
    bool shapeHeldSince(const Mark& mark) const;
    // The same for the folder's own entries alone: its subfolders are the ones listed then.
    bool entriesQuietSince(const QString& path, const Mark& mark) const;
    // While the tree's shape held since `mark`, the folders that are not quiet since then, found
    // from the notes instead of asked one by one; nothing when the notes cannot tell (the shape
    // changed, events were lost, or more happened than the notes keep).
    std::optional<QSet<QString>> foldersNotedSince(const Mark& mark) const;

private:
    bool noted(const QString& folder, const QString& name) const;
    bool placedSince(const QString& path, std::uint64_t sequence) const;
    bool changedSince(const QString& folder, std::uint64_t sequence) const;
    bool heldSince(const QString& path, const Mark& mark) const;

    QString root_;
    std::uint64_t ledger_;
    std::uint64_t sequence_ = 0;
    std::uint64_t lostAt_ = 0;
    std::uint64_t reshapedAt_ = 0;
    std::uint64_t markedAt_ = 0;  // the sequence of the last mark given
    std::optional<std::pair<std::uint64_t, std::uint64_t>> rootFile_;  // device and inode
    bool closed_ = false;
    std::function<void()> collector_;
    struct Note {
        std::uint64_t sequence;
        QString folder;
        QString name;
    };
    bool affects(const Note& note, QStringView path) const;

    std::deque<Note> latest_;                // the newest notes, oldest first
    QHash<QString, std::uint64_t> changed_;  // folders whose entries changed
    QHash<QString, std::uint64_t> placed_;   // paths created, removed, moved or replaced
};

}  // namespace lumivex
