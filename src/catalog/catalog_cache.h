#pragma once

#include "catalog/catalog_stamps.h"
#include "catalog/change_notices.h"
#include "catalog/library_disk.h"
#include "catalog/library_state.h"
#include "platform/date.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace lumivex {

// What statx says of one path (never following a final link), precise enough to notice that
// the file or folder changed: any write, rename or replacement moves the change time.
struct FileSignature {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t mode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedNanoseconds = 0;
    std::optional<Date> created;
    std::uint32_t reported = 0;  // the statx mask: which of the values the file system gave

    // Nothing when the path does not exist; other failures throw.
    static std::optional<FileSignature> read(const QString& path);
    static std::optional<FileSignature> readEncoded(const QByteArray& encodedPath);

    // The identity FolderCatalog::identity gives of the path this was read from.
    QString identity() const;
    // Whether this signature, taken after `readAt`, vouches for what was read then: its last
    // change is older than the read by more than the coarsest time stamp step of the file systems
    // we meet, so a later change within the same step cannot have left it as it was.
    bool settledAt(std::int64_t readAt) const;

    bool operator==(const FileSignature&) const = default;
};

// The positions of one folder's items and records in a state's lists, in state order.
struct FolderShare {
    std::vector<qsizetype> items;
    std::vector<qsizetype> records;
};

// One folder's own property lists (catalog, then deleted records) and the mapping of display
// property identifiers to its own, as a save shapes them from the merged state for the folder
// `key`; see FolderCatalog::folderShape.
struct FolderShape {
    QString key;
    QList<Category> library;
    QList<Category> archive;
    std::map<QString, QString> mapping;
    // Whether a list took the options of a display property: only then do those options shape the
    // folder.
    bool takesDisplayOptions = false;

    bool operator==(const FolderShape&) const = default;
};

// Remembers, per folder of a tree, what the catalog last read there and whether the texts it last
// rendered matched the files, so that a save after one edit reads and renders only the folders
// that changed. Every answer is bound to the signatures of the files it came from; a file
// changed from outside (or changed too recently to be told apart from a later change) is read
// again. Main thread only, like every catalog operation.
class CatalogCache {
public:
    // The lists of items and records (root-relative names) that a save or load worked from,
    // shared by every memo it left: holding them costs no copy of an item.
    struct Lists {
        MediaItems items;
        QList<DeletedRecord> records;
    };
    // The lists the memos of one save or load point to. A later save that keeps the grouping
    // moves it on to its own lists once no folder whose share changed keeps a memo on it, so the
    // memos of the folders it never visits follow without being touched one by one.
    struct Basis {
        std::shared_ptr<const Lists> lists;
    };
    // Inputs of one folder's texts besides the tree-wide ones: the folder identity and its share
    // of the lists, and the shape the texts were made with when known, with the structure
    // generation it was made at.
    struct FolderInputs {
        QString identity;
        std::shared_ptr<const Basis> basis;
        std::shared_ptr<const FolderShare> share;
        std::shared_ptr<const FolderShape> shape;
        std::uint64_t structure = 0;
    };

    static CatalogCache& shared();

    // The signatures of a folder and of the metadata entries that vouch for what a load read
    // there, read afresh.
    using Signature = std::vector<std::optional<FileSignature>>;
    static Signature signatureOf(const QString& folder);

    // While a pass lives, each path is examined once: a save plans from one look at the tree and
    // must end its pass before it writes anything. A pass over the tree at `root` also takes in
    // what a folder watcher of that root noticed: a folder proved since with nothing noticed of
    // it is taken as proved, without looking at it again.
    class Pass {
    public:
        explicit Pass(CatalogCache& cache, const QString& root = QString());
        // A pass over reads made after the notices were collected at `mark`.
        Pass(CatalogCache& cache, std::shared_ptr<ChangeNotices> notices,
             const std::optional<ChangeNotices::Mark>& mark);
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

    private:
        CatalogCache& cache_;
    };

    // The signature of the folder `path`, read once per pass (every time outside a pass).
    std::optional<FileSignature> look(const QString& path);
    // Takes, side by side, the look a pass is about to take at the folders under `root` that the
    // cache knows: each folder and its metadata entries, as knowledge examines them one by one.
    void prefetch(const QString& root);

    // A change newer than this may share its time stamp with the read that preceded it.
    static constexpr std::int64_t settleNanoseconds = 2'000'000'000;

    // The notices of a watcher of the tree at `notices->root()`, consulted while it lives.
    void watch(const std::shared_ptr<ChangeNotices>& notices);
    // The mark of the pass under way when watcher notices vouch for its tree, and those notices.
    const std::optional<ChangeNotices::Mark>& passMark() const { return passMark_; }
    const ChangeNotices* passNotices() const { return passNotices_.get(); }
    // The notices of a live watcher of the tree at `root`, if any.
    std::shared_ptr<ChangeNotices> noticesOf(const QString& root) const;

    // The names of the real subfolders of `folder` (hidden names and links left out), listed
    // again only when the folder's own entries changed.
    QStringList subfolders(const QString& folder);

    // The folder's files checked for links and read with LibraryDisk::loadState.
    LibraryState loadFolder(const QString& folder);

    // loadFolder in two steps, so that folders can be read side by side: readFolder touches
    // nothing of the cache and may run on any thread while the cache is left alone;
    // recordRead then takes in what it read, on the cache's thread.
    struct FolderRead {
        LibraryState state;
        // The property lists the files hold, as read (the state may be shaped further).
        QList<Category> libraryCategories;
        QList<Category> deletedCategories;
        Signature signature;  // taken after the read
        // The signatures around the read agree, name a catalog and are settled: the files
        // held `texts` throughout.
        bool trusted = false;
        // The signatures around the read agree and name a catalog, but are not settled: only a
        // watcher's notices can vouch that a later change moved nothing they show.
        bool steady = false;
        LibraryDisk::StoredTexts texts;
        // The SHA-256 of the two files' bytes, when steady.
        QByteArray catalogDigest;
        QByteArray archiveDigest;
        // The files' stamp as read, unsure when the signatures around the read disagree; nothing
        // when the read itself replaced a file (a finished journal, an older layout).
        std::optional<CatalogStamps::Stamp> stamp;
    };
    FolderRead readFolder(const QString& folder) const;
    // A load keeps no memo: it records the ones it proves itself (keepMemo false).
    void recordRead(const QString& folder, const FolderRead& read, bool keepMemo);
    // Whether what `read` holds is vouched for: settled, or steady within a pass whose watcher
    // notices vouch for the tree.
    bool vouchesFor(const FolderRead& read) const;
    // What is known of the folder's files: their property lists (library, then archive), and
    // the inputs whose texts last matched them. The files are checked for links like
    // FolderCatalog::validateMetadata does, and read again only when they changed.
    struct Knowledge {
        QList<Category> libraryCategories;
        QList<Category> deletedCategories;
        std::optional<std::uint64_t> unchangedGeneration;
        FolderInputs unchangedInputs;
    };
    Knowledge knowledge(const QString& folder);
    // The knowledge of each folder, as knowledge() gives it one by one, with the folders that
    // must be read again read side by side; a folder whose read failed holds the failure that
    // knowledge() would have thrown for it.
    struct Answer {
        Knowledge knowledge;
        std::exception_ptr failure;
    };
    std::vector<Answer> knowledgeOf(const std::vector<const QString*>& folders);

    // A number that changes whenever the tree-wide inputs of the folder texts of `root` change.
    std::uint64_t generation(const QString& root, const LibraryState& state);
    // A number, as of the last generation() of `root`, that changes whenever those inputs change
    // in anything but the options of the display properties.
    std::uint64_t structureGeneration(const QString& root) const;
    // Records that the texts made from these inputs equal the folder's files.
    void rememberUnchanged(const QString& folder, std::uint64_t generation, FolderInputs inputs);
    // Drops that record, keeping what is known of the files.
    void forgetUnchanged(const QString& folder);
    // Whether that record holds across a change of display options alone at the structure
    // generation `structure`: it knows the shape its texts were made with, taken at that
    // generation, and the shape took no display property's options.
    bool vouchesAcrossOptions(const QString& folder, std::uint64_t structure) const;
    // Within a pass: whether the folder's files are still the ones last proved there (nothing
    // noticed of them since, their settled signatures unchanged, or else their bytes read again
    // as reprove reads them), proving them for the pass, and its record says they hold the texts
    // made from `lists` at the tree-wide inputs of `generation` (or of `structure`, for a shape
    // that takes no display options).
    bool stillHolds(const QString& folder, std::uint64_t generation, std::uint64_t structure,
                    const Lists& lists);

    // Throws what Library::fromCatalogCSV or DeletedArchive::fromCSV throws for these texts, in
    // that order. The readers are strict functions of the text, so a pair that read back once is
    // not parsed again: a save checks the same texts when it plans, before it writes and when it
    // writes.
    void checkReadable(const QString& catalog, const QString& archive);
    // What a save needs of a pair of texts that reads back: the identifiers of the catalog's items
    // (those its backup keeps), the catalog's properties and the archive as read.
    struct ReadBack {
        QSet<QUuid> itemIDs;
        QList<Category> categories;
        DeletedArchive archive;
    };
    // That of the texts, or the readers' throw; remembered the same way. These two are the members
    // that folder writes running side by side may call.
    std::shared_ptr<const ReadBack> readBack(const QString& catalog, const QString& archive);
    // While a hold lives, readBack remembers every pair it reads rather than the last few: a save
    // of many folders meets each folder's pair again after reading all the others, and what is
    // kept of a pair is small beside its texts.
    class ReadBackHold {
    public:
        explicit ReadBackHold(CatalogCache& cache);
        ~ReadBackHold();
        ReadBackHold(const ReadBackHold&) = delete;
        ReadBackHold& operator=(const ReadBackHold&) = delete;

    private:
        CatalogCache& cache_;
    };

    // The two texts a save writes into one folder, with their UTF-8 bytes and those bytes'
    // SHA-256, taken where the texts were made so that proving the write does not redo them.
    struct WrittenTexts {
        QString catalog;
        QString archive;
        QByteArray catalogBytes;
        QByteArray archiveBytes;
        QByteArray catalogDigest;
        QByteArray archiveDigest;
        // Both texts are valid UTF-16, so that their bytes decode back to them.
        bool exact = false;
    };
    // One folder a save wrote: its path, the texts written there and the inputs they were made of.
    struct Written {
        QString folder;
        const WrittenTexts* texts;
        FolderInputs inputs;
    };
    // After a save wrote the folders, within a pass whose notices vouch for the tree: each one's
    // files are read back, folders side by side, and when they hold exactly the texts written,
    // with the signatures around the read agreeing, the folder is known as a read would know it,
    // proved at the pass's mark, with its inputs as the inputs whose texts match its files.
    void recordWritten(std::vector<Written> written, std::uint64_t generation);
    // Within a pass whose notices vouch for the tree: whether the folder's files are the ones a
    // save wrote and proved there, and nothing was noticed since of the folder, its metadata folder
    // or a folder above it, not even a change of their permissions. The device the folder and its
    // metadata lie on, when so.
    std::optional<std::uint64_t> writtenAndQuiet(const QString& folder) const;
    // Within such a pass, a folder whose files the notices cannot vouch for (its metadata folder
    // held the save's own journal, or events were lost): its two files are read again, and when
    // their digests are the ones known, what is known of the folder holds at the pass's mark.
    // False when it could not be proved so.
    bool reprove(const QString& folder);

    // The SHA-256 of the catalog or deleted-records file at `path` as the last read of its folder
    // found it, while `signature` is the one that read was bound to and the read was settled or
    // the pass's notices say nothing of the folder since; empty otherwise. It only reads the
    // cache, and may run beside other such calls while the cache is left alone.
    QByteArray digestOf(const QString& path, const FileSignature& signature) const;

    // The signatures that what the cache knows of `folder` is bound to, as signatureOf gives
    // them: the last load or save found the folder so, settled. Nothing when it knows nothing.
    // Valid until the cache next changes.
    const Signature* knownSignature(const QString& folder) const;

    void forgetFolder(const QString& folder);
    void clear();

    // How many folders were read from disk since the cache was made; for diagnosis and tests.
    std::uint64_t folderReads() const { return folderReads_; }
    // How many folders a save or load looked at on disk to prove them unchanged.
    std::uint64_t folderLooks() const { return folderLooks_; }
    // Fixes "now" for the settle rule; tests use it to make fresh files count as settled.
    void setNowForTesting(std::optional<std::int64_t> nanoseconds) { fixedNow_ = nanoseconds; }

private:
    struct Memo {
        std::uint64_t generation = 0;
        FolderInputs inputs;
    };
    struct FolderEntry {
        Signature signature;
        QList<Category> libraryCategories;
        QList<Category> deletedCategories;
        std::optional<Memo> memo;
        // When the files were last found so, by a pass with watcher notices; an entry not settled
        // holds only while those notices say nothing of the folder.
        std::optional<ChangeNotices::Mark> proven;
        bool settled = true;
        QByteArray catalogDigest;
        QByteArray archiveDigest;
        // The files are the ones a save wrote here: its metadata folder took them.
        bool written = false;
    };
    struct Listing {
        FileSignature signature;
        QStringList subfolders;
    };
    struct TreeInputs {
        QList<Category> categories;
        SharedMap<QString, FolderPropertySchema> folderSchemas;
        QList<Category> catalogProperties;
        QList<Category> deletedCategories;
        std::uint64_t generation = 0;
        std::uint64_t structure = 0;
    };

    static Knowledge knowledgeIn(const FolderEntry& entry);
    // Whether the folder's files are still as the entry knows them, proving it for the pass.
    bool stillKnown(const QString& folder, FolderEntry& entry);
    bool quiet(const QString& folder, const FolderEntry& entry) const;
    bool stillMatches(const QString& folder, const Signature& known);
    void remember(const QString& folder, const Signature& signature);
    static bool settled(const Signature& signature, std::int64_t readAt);
    std::int64_t now() const;

    QHash<QString, FolderEntry> folders_;
    QHash<QString, Listing> listings_;
    QHash<QString, TreeInputs> trees_;
    std::uint64_t nextGeneration_ = 1;
    std::uint64_t folderReads_ = 0;
    std::uint64_t folderLooks_ = 0;
    std::optional<std::int64_t> fixedNow_;
    std::optional<QHash<QString, std::optional<FileSignature>>> pass_;
    QHash<QString, Signature> prefetched_;  // per folder of the pass, as prefetch found them
    std::shared_ptr<ChangeNotices> passNotices_;
    std::optional<ChangeNotices::Mark> passMark_;
    QHash<QString, std::weak_ptr<ChangeNotices>> notices_;  // by root
    using TextPair = std::pair<QString, QString>;           // catalog and archive
    QMutex readableMutex_;
    // Guarded by readableMutex_: the pairs read back, and their order, oldest first.
    QHash<TextPair, std::shared_ptr<const ReadBack>> readable_;
    std::deque<TextPair> readableOrder_;
    int readBackHolds_ = 0;
};

}  // namespace lumivex
