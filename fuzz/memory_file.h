#pragma once

#include <QString>

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A file in memory that readers open by path, as they open files from anywhere: each input
// replaces its contents, and nothing touches the disk.
class MemoryFile {
public:
    MemoryFile() : descriptor_(::memfd_create("lumivex-fuzz", MFD_CLOEXEC)) {
        if (descriptor_ < 0) {
            std::abort();
        }
        path_ = QStringLiteral("/proc/self/fd/%1").arg(descriptor_);
    }

    // Replaces the contents with `size` bytes at `data`; returns the path to open.
    const QString& hold(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(descriptor_, 0) != 0 ||
            ::pwrite(descriptor_, data, size, 0) != static_cast<ssize_t>(size)) {
            std::abort();
        }
        return path_;
    }

private:
    int descriptor_;
    QString path_;
};
