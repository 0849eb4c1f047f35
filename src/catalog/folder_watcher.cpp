#include "catalog/folder_watcher.h"

#include "catalog/catalog_cache.h"
#include "catalog/change_notices.h"
#include "platform/parallel_work.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QSocketNotifier>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <utility>
#include <vector>

namespace lumivex {

namespace {

// Every kind of change to a folder's entries, to the entries' content and attributes, and to
// the folder itself (its move or deletion matters for the root).
constexpr std::uint32_t watchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB |
                                        IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                        IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR;

constexpr int batchMilliseconds = 500;

QByteArray childPath(const QByteArray& folder, const char* name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool isFolderEntry(int folderFd, const struct dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) {
        return entry.d_type == DT_DIR;
    }
    struct stat info {};
    return ::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(info.st_mode);
}

// The folders directly inside `folder`, symbolic links left out.
void appendSubfolders(const QByteArray& folder, bool followLink, QList<QByteArray>& into) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int folderFd = ::open(folder.constData(), flags);
    if (folderFd < 0) {
        return;
    }
    DIR* listing = ::fdopendir(folderFd);
    if (listing == nullptr) {
        ::close(folderFd);
        return;
    }
    while (const struct dirent* entry = ::readdir(listing)) {
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != ".." && isFolderEntry(folderFd, *entry)) {
            into.append(childPath(folder, entry->d_name));
        }
    }
    ::closedir(listing);
}

std::uint32_t maskFor(bool followLink) {
    return watchedEvents | (followLink ? 0 : IN_DONT_FOLLOW);
}

// The watch descriptor, or the error as a negative number.
int addWatch(int inotifyFd, const QByteArray& folder, bool followLink) {
    const int descriptor = ::inotify_add_watch(inotifyFd, folder.constData(), maskFor(followLink));
    return descriptor >= 0 ? descriptor : -errno;
}

// The watches of one subtree, made on a worker.
struct SubtreeWatches {
    std::vector<std::pair<int, QByteArray>> folders;
    std::vector<int> failures;  // the error of each folder that could not be watched
};

// Each folder is watched before it is listed, as FolderWatcher::watchTree does.
void watchSubtree(int inotifyFd, const QByteArray& top, SubtreeWatches& into) {
    QList<QByteArray> pending{top};
    while (!pending.isEmpty()) {
        const QByteArray next = pending.takeLast();
        const int descriptor = addWatch(inotifyFd, next, false);
        if (descriptor < 0) {
            into.failures.push_back(-descriptor);
            continue;
        }
        into.folders.emplace_back(descriptor, next);
        appendSubfolders(next, false, pending);
    }
}

}  // namespace

std::unique_ptr<FolderWatcher> FolderWatcher::create(const QString& folder,
                                                     std::function<void()> onChange) {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    const QString root = QDir::cleanPath(folder);
    std::unique_ptr<FolderWatcher> watcher(new FolderWatcher(fd, std::move(onChange)));
    watcher->notices_ = std::make_shared<ChangeNotices>(root);
    if (!watcher->watchRoot(QFile::encodeName(root))) {
        return nullptr;
    }
    FolderWatcher* events = watcher.get();
    watcher->notices_->setCollector([events] { events->readEvents(); });
    CatalogCache::shared().watch(watcher->notices_);
    return watcher;
}

FolderWatcher::FolderWatcher(int inotifyFd, std::function<void()> onChange)
    : fd_(inotifyFd),
      onChange_(std::move(onChange)),
      notifier_(std::make_unique<QSocketNotifier>(inotifyFd, QSocketNotifier::Read)),
      batch_(std::make_unique<QTimer>()) {
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readEvents(); });
    batch_->setSingleShot(true);
    batch_->setInterval(batchMilliseconds);
    QObject::connect(batch_.get(), &QTimer::timeout, batch_.get(), [this] {
        // A copy, so that an owner who drops the watcher from inside the call is safe.
        const std::function<void()> call = onChange_;
        call();
    });
}

FolderWatcher::~FolderWatcher() {
    if (notices_) {
        notices_->close();
    }
    notifier_.reset();
    batch_.reset();
    ::close(fd_);
}

// The subtrees below the root are watched side by side: one system call and one listing per
// folder add up on a large tree, and the open waits for them. Events are read only afterwards, on
// this thread, when every watch is known.
bool FolderWatcher::watchRoot(const QByteArray& root) {
    root_ = root;
    if (watch(root_, true) < 0) {
        return false;
    }
    QList<QByteArray> top;
    appendSubfolders(root_, true, top);
    std::vector<SubtreeWatches> subtrees(static_cast<std::size_t>(top.size()));
    ParallelWork::forEach(subtrees.size(), [&](std::size_t index) {
        watchSubtree(fd_, top[static_cast<qsizetype>(index)], subtrees[index]);
        return true;
    });
    for (const SubtreeWatches& subtree : subtrees) {
        for (const auto& [descriptor, folder] : subtree.folders) {
            folders_.insert(descriptor, folder);
        }
        for (const int error : subtree.failures) {
            noteFailure(error);
        }
    }
    return true;
}

// Each folder is watched before it is listed, so a subfolder made in between shows up either
// in the listing or as an event.
void FolderWatcher::watchTree(const QByteArray& folder) {
    QList<QByteArray> pending{folder};
    while (!pending.isEmpty()) {
        const QByteArray next = pending.takeLast();
        // The root may be a link to the library's folder; links inside the tree are not followed.
        const bool isRoot = next == root_;
        if (watch(next, isRoot) >= 0) {
            appendSubfolders(next, isRoot, pending);
        }
    }
}

int FolderWatcher::watch(const QByteArray& folder, bool followLink) {
    const int descriptor = addWatch(fd_, folder, followLink);
    if (descriptor < 0) {
        noteFailure(-descriptor);
        return -1;
    }
    folders_.insert(descriptor, folder);
    return descriptor;
}

void FolderWatcher::noteFailure(int error) {
    // A folder that vanished meanwhile left its notice in its parent; any other folder left
    // unwatched could change unnoticed.
    if (error != ENOENT && error != ENOTDIR && notices_) {
        notices_->close();
    }
    if (error == ENOSPC && !warnedAboutLimit_) {
        warnedAboutLimit_ = true;
        qWarning("Folder watch limit reached under %s; raise fs.inotify.max_user_watches",
                 root_.constData());
    }
}

// A folder that moved out of the tree must not keep reporting; one that moved within the tree
// is watched again under its new name by the event that follows.
void FolderWatcher::forgetTree(const QByteArray& folder) {
    const QByteArray prefix = folder + '/';
    for (auto entry = folders_.begin(); entry != folders_.end();) {
        if (entry.value() == folder || entry.value().startsWith(prefix)) {
            ::inotify_rm_watch(fd_, entry.key());
            entry = folders_.erase(entry);
        } else {
            ++entry;
        }
    }
}

void FolderWatcher::readEvents() {
    alignas(struct inotify_event) char buffer[16384];
    bool changed = false;
    for (;;) {
        const ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            break;
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
            changed = handle(*event) || changed;
        }
    }
    if (changed) {
        noteChange();
    }
}

bool FolderWatcher::handle(const struct inotify_event& event) {
    if (event.mask & IN_Q_OVERFLOW) {
        // Events were lost, folder creations among them: look for unwatched folders again.
        notices_->noteLoss();
        watchTree(root_);
        return true;
    }
    if (event.mask & IN_IGNORED) {
        folders_.remove(event.wd);
        return false;
    }
    const auto parent = folders_.constFind(event.wd);
    if (parent != folders_.constEnd()) {
        notices_->note(QFile::decodeName(parent.value()),
                       event.len > 0 ? QFile::decodeName(event.name) : QString(),
                       (event.mask & IN_ISDIR) != 0 || event.len == 0);
    }
    if ((event.mask & IN_ISDIR) && event.len > 0 && parent != folders_.constEnd()) {
        const QByteArray path = childPath(parent.value(), event.name);
        if (event.mask & IN_MOVED_FROM) {
            forgetTree(path);
        } else if (event.mask & (IN_CREATE | IN_MOVED_TO)) {
            watchTree(path);
        }
    }
    return true;
}

void FolderWatcher::noteChange() {
    if (!batch_->isActive()) {
        batch_->start();
    }
}

}  // namespace lumivex
