#include "media_tree.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "platform/file_status.h"
#include "store/metadata_undo_validation.h"
#include "synthetic_library.h"

#include <QDir>
#include <QFile>
#include <QThreadPool>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace lumivex::bench {

void settleTree() {
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
}

MediaTree::MediaTree() : loaded(writeMediaTree(folder.path())) {}

LibraryState writeMediaTree(const QString& root) {
    LibraryState state;
    state.library = syntheticLibrary(MediaTree::itemCount, MediaTree::folderCount);
    for (MediaItem& item : state.library.items) {
        QDir(root).mkpath(item.folder());
        QFile file(root + u'/' + item.filename);
        if (!file.open(QIODevice::WriteOnly) || file.write(item.filename.toUtf8()) < 0) {
            throw std::runtime_error("cannot write the media tree");
        }
        file.close();
        const FileStatus status = FileStatus::read(file.fileName());
        item.size = status.size;
        item.modified = *status.modified;
        item.fileIdentity = FileSignature::read(file.fileName())->identity();
    }
    FolderCatalog::save(state, root);
    settleTree();
    LibraryState loaded = FolderCatalog::load(root, std::nullopt);
    FolderCatalog::save(loaded, root);
    settleTree();
    if (!MetadataUndoValidation::folderMediaStillCurrent(loaded.library, root)) {
        throw std::runtime_error("the media tree does not match its library");
    }
    return loaded;
}

void writeMediaTreeElsewhere(const QString& root) {
    QThreadPool::globalInstance()->waitForDone();  // the child has only the forking thread
    const pid_t pid = ::fork();
    if (pid == 0) {
        writeMediaTree(root);
        ::_exit(0);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the media tree was not written");
    }
}

}  // namespace lumivex::bench
