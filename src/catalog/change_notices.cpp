#include "catalog/change_notices.h"

#include <QFile>

#include <sys/stat.h>
#include <atomic>
#include <utility>

namespace lumivex {

namespace {

std::uint64_t nextLedger() {
    static std::atomic<std::uint64_t> ledgers{0};
    return ++ledgers;
}

const QString metadataFolder = QStringLiteral("/.lumivex");

// The notes of a save of a few hundred folders (some 25 each) are kept, so that the next save can
// still find the folders noticed since the last one's mark; a mark older than those gives no
// answer.
constexpr std::size_t keptNotes = 8192;
// Whether one folder is quiet is found by looking through the notes since its proof while they
// are few; behind more of them, or a mark older than the notes kept, it is looked up in the
// tables, which tell the same.
constexpr std::uint64_t walkedNotes = 256;

// Whether `path` is `prefix` or lies below it.
bool within(QStringView path, QStringView prefix) {
    return path.startsWith(prefix) && (path.size() == prefix.size() || path[prefix.size()] == u'/');
}

// The folder the root names (links followed, as the watcher follows them for the root).
std::optional<std::pair<std::uint64_t, std::uint64_t>> fileOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return std::pair<std::uint64_t, std::uint64_t>(info.st_dev, info.st_ino);
}

}  // namespace

ChangeNotices::ChangeNotices(QString root)
    : root_(std::move(root)), ledger_(nextLedger()), rootFile_(fileOf(root_)) {}

// The folder's own entries changed (its signature moved), and the entry itself may have been
// made, removed, moved or replaced: a folder of that name is not the one proved before.
void ChangeNotices::note(const QString& folder, const QString& name, bool reshapes) {
    if (noted(folder, name)) {
        reshapedAt_ = reshapes ? sequence_ : reshapedAt_;
        return;
    }
    ++sequence_;
    if (reshapes) {
        reshapedAt_ = sequence_;
    }
    changed_.insert(folder, sequence_);
    if (name.isEmpty()) {
        placed_.insert(folder, sequence_);
    } else {
        placed_.insert(folder + u'/' + name, sequence_);
    }
    latest_.push_back({sequence_, folder, name});
    if (latest_.size() > keptNotes) {
        latest_.pop_front();
    }
}

// A write makes several events of one entry in a row (made, written, closed, renamed away), often
// between those of other folders written beside it. A note of the same entry taken since the last
// mark says all a second one would: every mark given so far is older than both, and every later
// one newer.
bool ChangeNotices::noted(const QString& folder, const QString& name) const {
    constexpr int lookedBack = 16;
    int looked = 0;
    for (auto note = latest_.rbegin();
         note != latest_.rend() && note->sequence > markedAt_ && looked < lookedBack;
         ++note, ++looked) {
        if (note->name == name && note->folder == folder) {
            return true;
        }
    }
    return false;
}

void ChangeNotices::noteLoss() {
    lostAt_ = ++sequence_;
}

void ChangeNotices::setCollector(std::function<void()> collector) {
    collector_ = std::move(collector);
}

void ChangeNotices::close() {
    closed_ = true;
    collector_ = nullptr;
}

std::optional<ChangeNotices::Mark> ChangeNotices::collect() {
    if (collector_) {
        collector_();
    }
    // A root that now names another folder (it or a folder above it moved) is no longer the
    // watched one, and no event says so.
    if (!closed_ && (!rootFile_ || fileOf(root_) != rootFile_)) {
        close();
    }
    if (closed_) {
        return std::nullopt;
    }
    markedAt_ = sequence_;
    return Mark{ledger_, sequence_};
}

bool ChangeNotices::placedSince(const QString& path, std::uint64_t sequence) const {
    const auto found = placed_.constFind(path);
    return found != placed_.constEnd() && *found > sequence;
}

bool ChangeNotices::changedSince(const QString& folder, std::uint64_t sequence) const {
    const auto found = changed_.constFind(folder);
    return found != changed_.constEnd() && *found > sequence;
}

// Whether the mark still counts and neither the folder nor any folder above it, up to the root,
// was moved, replaced or removed since.
bool ChangeNotices::heldSince(const QString& path, const Mark& mark) const {
    if (closed_ || mark.ledger != ledger_ || lostAt_ > mark.sequence) {
        return false;
    }
    if (sequence_ == mark.sequence) {
        return true;
    }
    for (qsizetype end = path.size(); end >= root_.size(); end = path.lastIndexOf(u'/', end - 1)) {
        if (placedSince(path.left(end), mark.sequence)) {
            return false;
        }
        if (end <= root_.size()) {
            break;
        }
    }
    return true;
}

// The note names the folder's own entries or its metadata folder's, or makes, moves or removes
// the folder or one above it.
bool ChangeNotices::affects(const Note& note, QStringView path) const {
    const QStringView folder = note.folder;
    if (folder == path || (folder.size() == path.size() + metadataFolder.size() &&
                           folder.startsWith(path) && folder.endsWith(metadataFolder))) {
        return true;
    }
    if (note.name.isEmpty()) {
        return within(path, folder);
    }
    return within(path, folder) && path.size() > folder.size() &&
           within(path.sliced(folder.size() + 1), note.name);
}

bool ChangeNotices::quietSince(const QString& path, const Mark& mark) const {
    if (closed_ || mark.ledger != ledger_ || lostAt_ > mark.sequence) {
        return false;
    }
    if (!latest_.empty() && latest_.front().sequence <= mark.sequence + 1 &&
        sequence_ - mark.sequence <= walkedNotes) {
        for (auto note = latest_.rbegin(); note != latest_.rend() && note->sequence > mark.sequence;
             ++note) {
            if (affects(*note, path)) {
                return false;
            }
        }
        return true;
    }
    return heldSince(path, mark) && !changedSince(path, mark.sequence) &&
           !changedSince(path + metadataFolder, mark.sequence);
}

bool ChangeNotices::shapeHeldSince(const Mark& mark) const {
    return !closed_ && mark.ledger == ledger_ && lostAt_ <= mark.sequence &&
           reshapedAt_ <= mark.sequence;
}

bool ChangeNotices::entriesQuietSince(const QString& path, const Mark& mark) const {
    return heldSince(path, mark) && !changedSince(path, mark.sequence);
}

// With no folder made, moved or removed since the mark, a note affects only the folder it was
// noted in, or the folder whose metadata folder it was noted in.
std::optional<QSet<QString>> ChangeNotices::foldersNotedSince(const Mark& mark) const {
    if (!shapeHeldSince(mark)) {
        return std::nullopt;
    }
    QSet<QString> folders;
    if (sequence_ == mark.sequence) {
        return folders;
    }
    if (latest_.empty() || latest_.front().sequence > mark.sequence + 1) {
        return std::nullopt;
    }
    for (auto note = latest_.rbegin(); note != latest_.rend() && note->sequence > mark.sequence;
         ++note) {
        folders.insert(note->folder.endsWith(metadataFolder)
                           ? note->folder.chopped(metadataFolder.size())
                           : note->folder);
    }
    return folders;
}

}  // namespace lumivex
