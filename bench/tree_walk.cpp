#include "tree_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>

namespace lumivex::bench {

std::int64_t walkTree(const QByteArray& folder) {
    DIR* stream = ::opendir(folder.constData());
    if (stream == nullptr) {
        throw std::runtime_error("cannot open " + folder.toStdString());
    }
    std::int64_t bytes = 0;
    while (const dirent* entry = ::readdir(stream)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        struct statx info {};
        if (::statx(::dirfd(stream), entry->d_name, AT_SYMLINK_NOFOLLOW,
                    STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME | STATX_INO, &info) != 0) {
            throw std::runtime_error("cannot examine an entry");
        }
        bytes += S_ISDIR(info.stx_mode) ? walkTree(folder + '/' + entry->d_name)
                                        : static_cast<std::int64_t>(info.stx_size);
    }
    ::closedir(stream);
    return bytes;
}

}  // namespace lumivex::bench
