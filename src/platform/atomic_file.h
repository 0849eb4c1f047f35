#pragma once

#include "platform/date.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace lumivex {

// Whole-file replacement that a crash or a full disk cannot leave half done: the bytes go to a
// hidden temporary file in the target's folder, are flushed to the disk and renamed over the
// target. Everything the catalog and the user defaults write goes through here. Any thread.
//
// The rename replaces a symbolic link at the target itself; links in the parent folders are
// followed like any path. Callers that must not write outside a tree check their paths first.
namespace AtomicFile {

// The points of a write or removal at which the fault hook is called.
enum class Stage {
    beforeWrite,   // the temporary file exists and is empty
    beforeRename,  // the temporary file holds every byte and is flushed
    afterRename,   // the target is replaced; its folder is not flushed yet
    beforeRemove,
    afterRemove,  // the file is unlinked; its folder is not flushed yet
};

// Called at every stage with the target path. A test hook may throw (the operation then fails
// as if the system had failed there, and cleans up) or end the process to simulate a crash.
// Calls are made one at a time, also when writes run on several threads.
using FaultHook = std::function<void(Stage stage, const QString& path)>;

// Whether write() makes the folders missing on the way to its target.
enum class MissingFolders {
    create,
    // None is made, and the write fails with ENOENT: a folder removed or renamed while its
    // metadata is written must not come back holding that file alone.
    refuse,
};

// Replaces the file at `path` with `bytes`, creating missing parent folders unless refused. On
// failure the target keeps its old content, no temporary file stays behind, and
// Error::fromErrno is thrown. `beforeRename`, when given, is called once the temporary file holds
// every byte, right before the rename: the last moment to find that the target must be kept, by
// throwing, which fails the write as any failure does.
void write(const QString& path, const QByteArray& bytes,
           MissingFolders missing = MissingFolders::create,
           const std::function<void()>& beforeRename = {});

// Unlinks `path` (which must exist) and flushes its folder; throws Error::fromErrno.
void remove(const QString& path);

// Process-wide; an empty hook turns fault injection off.
void setFaultHook(FaultHook hook);

// Whether `name` is a name write() or a Trial gives the temporary file of a target named
// `targetName` beside it: ".", the target's name, ".tmp-" and a random number in base 36.
bool isTemporaryName(QStringView name, QStringView targetName);

// The time the file system stamps a file made now with, or a little earlier: files are stamped
// from a clock that lags the precise one by up to a tick. A temporary file last changed before
// this time was left by a write that began before it.
Date fileClockNow();

// A rehearsal of a later write() of `bytes` bytes to `path`: the temporary file that write would
// make beside `path`, with room for the bytes allocated to it, kept until the trial goes. Throws
// what write() would throw (Error::fromErrno naming `path`) when the folder refuses the file
// (no permission, a read-only file system) or has no room for it. Creates no folder and calls no
// fault hook: nothing of it outlives the trial.
class Trial {
public:
    Trial(const QString& path, qint64 bytes);
    ~Trial();
    Trial(const Trial&) = delete;
    Trial& operator=(const Trial&) = delete;

private:
    QByteArray temporaryPath_;
};

}  // namespace AtomicFile
}  // namespace lumivex
