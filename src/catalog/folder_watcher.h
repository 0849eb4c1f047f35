#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;
struct inotify_event;

namespace lumivex {

class ChangeNotices;

// Tells its owner that something changed somewhere under a folder, without saying what: the
// folder itself and every folder below it are watched through inotify (folders that appear are
// added as they appear), and the events of each 0.5 second window give one call of onChange.
// Symbolic links inside the tree are not followed. Every event also goes to the watcher's
// ChangeNotices, which the catalog cache consults for the root while the watcher lives, and which
// the cache may ask to read the events already queued. Runs on the main thread: it reads its events
// there and calls onChange there. Destroying it stops all calls, also from inside onChange.
class FolderWatcher {
public:
    // Nothing when inotify cannot be set up or the folder cannot be watched.
    static std::unique_ptr<FolderWatcher> create(const QString& folder,
                                                 std::function<void()> onChange);
    ~FolderWatcher();

    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    const std::shared_ptr<ChangeNotices>& notices() const { return notices_; }

private:
    FolderWatcher(int inotifyFd, std::function<void()> onChange);

    bool watchRoot(const QByteArray& root);
    void watchTree(const QByteArray& folder);
    int watch(const QByteArray& folder, bool followLink);
    void noteFailure(int error);
    void forgetTree(const QByteArray& folder);
    void readEvents();
    // Whether the event counts as a change; keeps the watched folders in step with the tree.
    bool handle(const struct inotify_event& event);
    void noteChange();

    int fd_;
    std::function<void()> onChange_;
    QByteArray root_;
    QHash<int, QByteArray> folders_;  // watch descriptor to folder path (bytes, as on disk)
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> batch_;
    bool warnedAboutLimit_ = false;
    std::shared_ptr<ChangeNotices> notices_;
};

}  // namespace lumivex
