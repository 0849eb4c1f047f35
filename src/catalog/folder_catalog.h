#pragma once

#include "catalog/catalog_stamps.h"
#include "catalog/change_notices.h"
#include "catalog/library_state.h"
#include "platform/error.h"
#include "platform/small_text_set.h"

#include <QSet>
#include <QStringList>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace lumivex {

struct FolderShape;
struct FolderShare;

// The catalog of a folder tree: one set of metadata files in every folder, joined into one
// library on load and split back per folder on save, behind the tree journal and the path guards.
// Synchronous, on the caller's (main) thread; a load and a save spread independent pieces of their
// work over worker threads and return when all of them are done.
namespace FolderCatalog {

// One planned write of one folder, as recorded in ".lumivex/folders-pending.json".
struct Write {
    QString directory;
    QString identity;
    QString catalog;
    QString archive;

    bool operator==(const Write&) const = default;
};

// Tree listing, guards and the journalled write. The folders of the tree by root-relative key
// ("" is the root); subfolders this user may not list (DirectoryListing::refused) are left out
// with everything below them, their keys added to `leftOut`: their files are neither read nor
// written, and their items are neither missing nor deleted.
std::map<QString, QString> directories(const QString& root, QSet<QString>* leftOut = nullptr);
// The same listing made without the cache's memory of listings, so that it may run on any thread.
std::map<QString, QString> listedDirectories(const QString& root, QSet<QString>* leftOut = nullptr);
// Whether the folder `key` is one of `leftOut` or lies below one.
bool isLeftOut(QStringView key, const QSet<QString>& leftOut);
Error failure(const QString& message);
// The path of the folder `key` ("" is the root) of the tree at `root`.
QString folderPath(const QString& root, const QString& key);
void validateDirectory(const QString& path);
void validateMetadata(const QString& directory);
void validatePath(const QString& path);
void validateAncestors(const QString& directory, const QString& root);
QString identity(const QString& path);
// What finish does with a write whose folder is gone: removed, or renamed away.
enum class GoneFolders {
    // Passed over, the other folders finished: an interrupted save's journal never keeps the tree
    // from opening.
    skip,
    // Found before any folder was written, the journal is dropped and nothing written: a save
    // refused as if the folder had gone before it. Found later, passed over as by skip.
    refuseBeforeWriting,
};
// How far the writes of a journal came: the directories of the writes made, in the journal's
// order, and the directory of the write that failed, when one did (a failed check before the
// writes names none). A save that fails behind its journal leaves the rest to the next load.
struct WriteProgress {
    QStringList planned;
    QStringList written;
    std::optional<QString> failed;
};
// Checks and writes every folder of `writes`, then removes the journal; returns the directories
// of the writes passed over because their folders were gone. With `found`, the stamps of the
// folders' files as the save found them when it planned (`found[i]` of `writes[i]`): a folder
// whose files changed since refuses the writes with changedOutside() before any is made; one
// that changes after the last look at them all, before its own turn, stops the writes there.
// `progress`, when given, receives the directories planned and written and the failed write,
// also when finish throws.
QStringList finish(const QList<Write>& writes, const QString& root,
                   GoneFolders gone = GoneFolders::skip,
                   const std::vector<CatalogStamps::Stamp>* found = nullptr,
                   WriteProgress* progress = nullptr);
// The rehearsal of one folder's write (see tryWrites): held until dropped, or what refused it.
// Or, for a folder the last save wrote and proved, whose folder and metadata nothing changed
// since, not even their permissions: only the room its texts take, on its device, left to be
// rehearsed together with the journal.
struct WriteTrial {
    struct Room {
        qint64 bytes = 0;
        std::uint64_t device = 0;
    };
    std::shared_ptr<void> held;
    std::exception_ptr refusal;
    std::optional<Room> room;
};
// Rehearses the write of texts of `bytes` bytes into the metadata of the folder at `path`. It
// touches nothing but that folder, so the folders' trials can be made beside the rendering of
// their texts, on any thread.
WriteTrial tryWrite(const QString& path, qint64 bytes);
// Rehearses the journal, then takes in the trials of the folders' writes, made ahead with
// tryWrite (`trials[i]` of `writes[i]`), and drops them: a refusal here, before the journal,
// leaves no journal that could not be finished. The room of the trials left to be made is
// rehearsed with the journal's where they share its device; should that fail, each of them is
// made as tryWrite makes it, so that the refusals are the ones those trials meet. With `tolerant`,
// the keys of subfolders refused for permissions are returned instead of refusing the save.
QStringList tryWrites(const QList<Write>& writes, std::vector<WriteTrial>& trials,
                      const QString& root, const QByteArray& journal, bool tolerant);
// Takes the folders `refused` out of `writes`, or refuses the save at the first one
// `mayLeaveOut` does not allow; every such folder is added to `unwritable` first.
void leaveOut(QList<Write>& writes, const QStringList& refused, const QString& root,
              QSet<QString>& unwritable,
              const std::function<bool(const QString& key)>& mayLeaveOut);

// The whole tree as one state, and back. Catalog rows of files that are not present become
// deleted records stamped with `clock`'s time.
LibraryState load(const QString& root, const std::optional<LibraryState>& previous,
                  const Clock& clock = Date::now);
void save(const LibraryState& state, const QString& root);
// A save that writes around the folders of `unwritable` (keys), whose files keep what they hold,
// as folders this user may not list are written around. The trial writes made before the journal
// find the others whose metadata this user may not write (a folder of another user, a read-only
// mount) and add them to `unwritable`; each is left out too when `mayLeaveOut` allows it, and
// refuses the whole save with unwritableFolder() otherwise, before anything is written. The root
// is never left out.
//
// A folder whose files changed from outside since the process last read or wrote them
// (CatalogStamps) is never written: it is left out when `mayLeaveOut` allows it, its key added to
// `changedOutside`, and refuses the whole save with changedOutside() otherwise, before anything
// is written. One that changes, or a folder that goes away, after the last look at them all
// before the writes refuses the rest with partlySaved() when other folders were written by then.
//
// `progress`, when given, receives how far the writes came once the journal was written; a save
// that failed before leaves it empty.
void save(const LibraryState& state, const QString& root, QSet<QString>* unwritable,
          const std::function<bool(const QString& key)>& mayLeaveOut,
          QStringList* changedOutside = nullptr, WriteProgress* progress = nullptr);
// Sweeps the metadata of every folder of the tree of the temporary files that earlier writes left
// behind (MetadataFiles::removeStaleTemporaries), folders side by side; an open does this, since
// a folder may not be written again for a long time.
void removeStaleTemporaries(const QString& root, Date before);
// The same over the folders (keys) a load found, a library's catalog folders: it lists nothing
// through the cache, so it may run on any thread.
void removeStaleTemporaries(const QString& root, const QStringList& folders, Date before);
// The refusal of a change to what a folder holds that this user may not write; it names the folder.
Error unwritableFolder(const QString& folder);
bool isUnwritableFolderRefusal(const Error& error);
// The refusal of a save that would have written over files changed from outside since the
// process last read or wrote them; it names the folder, which a rescan reads again.
Error changedOutside(const QString& folder);
bool isChangedOutsideRefusal(const Error& error);
// The refusal of the rest of a save after some folders were written: a folder changed from
// outside or went away at its own turn. It names the folders that hold their part of the state
// (`saved`) and those that do not (`unsaved`), and says why (`cause`); the journal is gone, so
// nothing of the rest is finished later, and a rescan reads the tree again.
Error partlySaved(const QStringList& saved, const QStringList& unsaved, const QString& cause);
bool isPartlySavedRefusal(const Error& error);
// What a save that failed at a folder's write, its journal left for the next load, means for the
// user: which folders hold the new state, and that the next load can finish the rest only once
// that folder can be written. Nothing when no write failed.
QString unfinishedSave(const WriteProgress& progress, const QString& root);
// Whether `after` differs from `before` in what the folder `key` holds: its items, its deleted
// records or its property schema.
bool changesFolder(const LibraryState& before, const LibraryState& after, const QString& key);
// Whether `error` is a save's refusal of an item whose folder is no longer in the tree (removed
// or renamed since the state was read, or while the save ran, before any folder was written):
// nothing was written; a rescan mends the state.
bool isMovedFolderRefusal(const Error& error);

void rebindRelocatedDirectory(LibraryState& state, const QString& folder);
// Every folder's state joined into one, in the order a load makes: the folders' properties merged
// into the tree's, shallower folders first; items and records taken by their place in the tree;
// identifiers made unique; and the previous state's items that no folder holds any more kept.
LibraryState joinedTree(const std::map<QString, LibraryState>& states, const QStringList& plainKeys,
                        const std::optional<LibraryState>& previous, const Clock& clock,
                        const QString& root, const QSet<QString>& leftOut);
// The labels under the keys `mapping` sends theirs to; labels whose keys all map onto themselves
// are shared rather than rebuilt.
Labels relabelled(const Labels& labels, const std::map<QString, QString>& mapping);
MediaItem prefixed(const MediaItem& item, const QString& folder,
                   const std::map<QString, QString>& mapping);

// Display property merge.
void normalize(LibraryState& state);

// The normal forms of the options of a merged list's properties, by position, kept while the list
// takes in the folders of a load one after another: a folder's options are then looked up instead
// of compared with every option merged before them. Meanwhile options are only appended.
struct MergedOptionForms {
    struct Entry {
        SmallTextSet forms;
        qsizetype counted = 0;
    };
    std::vector<Entry> entries;
};
std::map<QString, QString> mergeCategories(const Library& library, QList<Category>& merged,
                                           const QList<Category>& preferred,
                                           MergedOptionForms& forms);
std::map<QString, QString> mergeCategories(const Library& library, QList<Category>& merged,
                                           const QList<Category>& preferred);

// One folder's own library and archive from the merged state.
LibraryState localState(const LibraryState& state, const QString& path,
                        const LibraryState& existing, const QList<MediaItem>& items,
                        const QList<DeletedRecord>& records);

// What the texts a save writes into the folder `key` are made of besides its share of the items
// and records and its identity: its own property lists, shaped with the ones its files hold, and
// the identifiers its share's labels are keyed by there. The texts are a function of the shape,
// the share and the identity alone, so texts once made from an equal shape need not be made again.
FolderShape folderShape(const LibraryState& state, const QString& key, const FolderShare& share,
                        const QList<Category>& libraryCategories,
                        const QList<Category>& deletedCategories);
struct FolderTexts {
    QString catalog;
    QString archive;
};
FolderTexts folderTexts(const LibraryState& state, const FolderShape& shape,
                        const QString& folderIdentity, const FolderShare& share);

// A folder as a load read it, when the signatures around the read vouch for the bytes.
struct ReadFolder {
    QString identity;
    QList<Category> libraryCategories;
    QList<Category> deletedCategories;
    QByteArray catalog;
    QByteArray archive;
};
// What a load of a tree read: its folders and, for each folder whose files the signatures around
// the read vouch for, the bytes read.
struct TreeReads {
    QString root;
    std::map<QString, QString> folders;
    QSet<QString> leftOut;
    std::map<QString, ReadFolder> reads;
    // The stamp of every folder read (CatalogCache::FolderRead::stamp), taken into CatalogStamps
    // when the state the load made is taken in.
    std::map<QString, std::optional<CatalogStamps::Stamp>> stamps;
    // When the load took its look, if a watcher's notices vouched for the tree.
    std::optional<ChangeNotices::Mark> mark;
    // Nothing was read: every folder, listed again, was known as the previous state left it, and
    // that state stands for what a read would give. Nothing is to be taken in or proved.
    bool unread = false;
};

// A load that leaves its reads in `reads` instead of proving its own result against them, for a
// caller that goes on to change the state first and proves that one (a rescan's merge).
LibraryState load(const QString& root, const std::optional<LibraryState>& previous,
                  const Clock& clock, TreeReads& reads);

// A load for a rescan's merge that reads and joins the tree off the main thread. Begun on the main
// thread, where the folder watcher's notices are collected, so that what the reads find counts as
// proved from that moment on; read on any thread, touching no cache; taken in on the main thread,
// where the cache learns what a load there would have taught it. Nothing is begun while a tree
// journal waits: only a load on the main thread finishes one.
struct DetachedLoad;
std::shared_ptr<DetachedLoad> beginDetachedLoad(const QString& root);
// The same for a rescan of a tree whose state the caller holds as `current`. When the watcher's
// notices vouch that every folder of the last save or load is as it was proved since (its own
// writes read back, or its reads), and every folder's files hold the texts a save of `current`
// writes there, the read lists the tree again and, finding the same folders, reads nothing:
// `current`, given as the previous state, is what a read would give (TreeReads::unread).
std::shared_ptr<DetachedLoad> beginDetachedLoad(const QString& root, const LibraryState& current);
// Whether the load may read nothing, should its listing find the folders known.
bool mayStayUnread(const DetachedLoad& load);
// From now on the load reads every folder, as one begun without a state does.
void readEveryFolder(DetachedLoad& load);
// What load(root, previous, clock, reads) gives, read on the calling thread. Nothing when a tree
// journal appeared meanwhile or the read failed: takeIn throws the failure.
std::optional<LibraryState> readDetached(DetachedLoad& load,
                                         const std::optional<LibraryState>& previous,
                                         const Clock& clock, TreeReads& reads);
// On the main thread, before any other save or load: the folders read go into the cache as a load
// takes them in (in plain order, up to the first that failed), then the failure is thrown.
void takeIn(DetachedLoad& load);

// The folders whose files, as read, hold exactly the texts a save of `state` writes there, and
// the grouping of `state` by folder they were found with (none when a save of `state` would be
// refused). It only reads its arguments, and may run on any thread.
struct ReadMatch {
    std::shared_ptr<const std::map<QString, FolderShare>> groups;
    std::vector<QString> folders;
    std::vector<std::shared_ptr<const FolderShape>> shapes;  // of `folders`, in order
};
ReadMatch matchingReads(const LibraryState& state, const TreeReads& reads);
// After a load: the folders of `match` are remembered as unchanged for `state`, and `state`
// becomes the lists of the last save, so that the first save passes such folders as a later
// save would. Valid while the cache still holds what the load read: before any save or load.
void rememberLoad(const LibraryState& state, const TreeReads& reads, const ReadMatch& match);
// Within a pass over `root`: the folders of the tree as the last save or load listed them, while
// the pass's watcher saw no folder made, moved or removed since; else the tree listed afresh.
std::map<QString, QString> heldDirectories(const QString& root);

// Per-folder property shaping for display and edit.
// The library as the chosen folders show it (every folder when none are given): their items,
// and the properties they declare or hold values in, merged.
Library displayLibrary(const Library& library, const std::optional<QSet<QString>>& folders);
// The same for a caller that already has `kept`, the available items of `folders` (each folder
// once) in library order, so that nothing walks the whole library.
Library displayLibrary(const Library& library, const QStringList& folders, MediaItems kept);
// The options of the displayed property `id` in the order displayLibrary gives `folders`, found
// from the folders' schemas alone.
QStringList displayedOptions(const Library& library, const QStringList& folders, const QString& id);
PropertyKind selectionKind(const Category& category, const QString& folder, const Library& library);
// The identifiers of the library's categories that no folder declares (created since the load):
// displayLibrary shows them with their own options where it shows the root folder.
QSet<QString> rootLevelProperties(const Library& library);
Library applyingLabel(const QString& value, const QSet<QUuid>& ids, const Category& category,
                      const Library& library);

}  // namespace FolderCatalog
}  // namespace lumivex
