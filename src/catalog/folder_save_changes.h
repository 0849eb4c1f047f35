#pragma once

#include "catalog/catalog_cache.h"
#include "catalog/change_notices.h"
#include "catalog/library_state.h"
#include "platform/text_order.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace lumivex {

namespace FolderCatalog {
struct ReadFolder;
struct ReadMatch;
}  // namespace FolderCatalog

// What a tree save knows of what changed since the last one: the folders' shares of the lists, the
// last save's grouping to compare with, the folders whose share changed, and the folders of a load
// whose files already hold what a save would write. Main thread, like a save.
namespace FolderSaveChanges {

using Groups = std::map<QString, FolderShare>;

// The refusal of a save whose items name a folder the tree no longer has.
extern const QString movedFolderMessage;

// Every item must belong to a folder that is both in the tree and among the folders the state
// was loaded from: an item of any other folder would be skipped and its edit lost. Items of a
// folder left out of the tree are skipped, their folder's files kept as they are.
Groups groupByFolder(const LibraryState& state, const std::map<QString, QString>& folders,
                     const QSet<QString>& leftOut);

// Deepest folders first, so a parent is written only after its subfolders.
template <typename Keys>
QStringList inSaveOrder(const Keys& keys) {
    struct Entry {
        qsizetype depth;
        QString key;
    };
    std::vector<Entry> entries;
    entries.reserve(keys.size());
    for (const QString& key : keys) {
        entries.push_back({QStringView(key).split(u'/', Qt::SkipEmptyParts).size(), key});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return TextOrder::plainLess(a.key, b.key); });
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.depth > b.depth; });
    QStringList ordered;
    ordered.reserve(qsizetype(entries.size()));
    for (Entry& entry : entries) {
        ordered.append(std::move(entry.key));
    }
    return ordered;
}

// The tree's folders, deepest first.
QStringList saveOrder(const std::map<QString, QString>& folders);

// The grouping of the last save of a tree that finished, with the lists and folders it was made
// from. A finished save leaves a memo only for folders whose texts matched that save's share of
// the lists, so a folder none of whose items changed since can be passed without comparing them.
struct LastSave {
    QString root;
    std::map<QString, QString> folders;
    QSet<QString> leftOut;
    QStringList order;
    QStringList catalogDirectories;
    MediaItems items;
    QList<DeletedRecord> records;
    std::shared_ptr<const Groups> groups;
    // When its pass took its look at the tree, if watcher notices vouched for it.
    std::optional<ChangeNotices::Mark> mark;
    // The lists its memos point to and the tree-wide inputs they were made with. Every folder of
    // the groups but the unproven ones (skipped, written or left without a memo) had a memo on
    // them, its files proved at the mark or quiet since their own proof.
    std::shared_ptr<CatalogCache::Basis> basis;
    std::uint64_t generation = 0;
    std::uint64_t structure = 0;
    QSet<QString> unproven;
};

// The last finished save of the process, or of a load that vouched for its folders.
std::optional<LastSave>& lastSave();

// A state's grouping, and the folders holding an item or record that changed since the last
// save; every folder counts as changed when there was none to go by.
struct Grouping {
    std::shared_ptr<const Groups> groups;
    std::optional<QSet<QString>> changed;
};

// `last` is the last save when it was made for the same folders.
Grouping grouping(const LibraryState& state, const std::map<QString, QString>& folders,
                  const QSet<QString>& leftOut, const LastSave* last);

// The folders of the last save when the watcher saw no folder made, moved or removed since, else
// the tree listed again.
bool sameShape(const CatalogCache& cache, const QString& root, const std::optional<LastSave>& last);

// The lists of `state`, as the memos of a save or load point to them.
std::shared_ptr<CatalogCache::Basis> basisOf(const LibraryState& state);

// The key of the tree folder at `path`, when it lies in the tree at `root`.
std::optional<QString> keyOf(const QString& path, const QString& root);

// The folders of a load whose files hold exactly what a save of `state` writes there: the very
// comparison a save makes, against the bytes the load parsed. Folders are compared side by side;
// the state and the reads are only read meanwhile. With each folder, the shape its texts were made
// with.
void matchUnchangedSinceRead(const LibraryState& state, const Groups& groups,
                             const std::map<QString, FolderCatalog::ReadFolder>& reads,
                             FolderCatalog::ReadMatch& match);

}  // namespace FolderSaveChanges
}  // namespace lumivex
