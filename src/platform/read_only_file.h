#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace lumivex {

// A file opened once for reading by readers that each look at its metadata in turn. Its first
// 64 KiB, where a photo's metadata almost always lies, are read on opening and handed to every
// reader from memory; reads beyond them go to the same descriptor, so no reader opens the file
// again. Used on one thread at a time.
class ReadOnlyFile {
public:
    static constexpr std::int64_t headCapacity = 64 * 1024;

    // Opens `path` and reads its head; throws Error::fromErrno when the file cannot be opened or
    // read (missing, no permission, a folder, a pipe with no writer).
    explicit ReadOnlyFile(const QString& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Copies up to `count` bytes at `offset` into `into` and gives how many it copied: fewer than
    // asked only at the end of the file. Throws Error::fromErrno when the file cannot be read.
    std::int64_t read(std::int64_t offset, char* into, std::int64_t count) const;
    // The bytes read on opening: the whole file when it is smaller than the head.
    QByteArrayView head() const { return {head_.get(), headSize_}; }
    // The file's length now; throws Error::fromErrno when it cannot be examined.
    std::int64_t size() const;

    int descriptor() const { return descriptor_; }
    const QString& path() const { return path_; }

private:
    QString path_;
    int descriptor_ = -1;
    std::unique_ptr<char[]> head_;
    std::int64_t headSize_ = 0;
};

}  // namespace lumivex
