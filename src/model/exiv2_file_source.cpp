#include "model/exiv2_file_source.h"

#include "platform/error.h"
#include "platform/read_only_file.h"

#include <QFile>

#include <exiv2/error.hpp>

#include <sys/mman.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lumivex {

Exiv2FileSource::Exiv2FileSource(const ReadOnlyFile& file) : file_(file) {}

Exiv2FileSource::~Exiv2FileSource() {
    munmap();
}

int Exiv2FileSource::open() {
    position_ = 0;
    open_ = true;
    atEnd_ = false;
    failed_ = false;
    return 0;
}

int Exiv2FileSource::close() {
    munmap();
    open_ = false;
    return 0;
}

long Exiv2FileSource::write(const Exiv2::byte*, long) {
    return 0;
}

long Exiv2FileSource::write(Exiv2::BasicIo&) {
    return 0;
}

int Exiv2FileSource::putb(Exiv2::byte) {
    return EOF;
}

Exiv2::DataBuf Exiv2FileSource::read(long count) {
    if (count < 0 || static_cast<size_t>(count) > size()) {
        throw Exiv2::Error(Exiv2::kerInvalidMalloc);
    }
    Exiv2::DataBuf buffer(count);
    buffer.size_ = read(buffer.pData_, count);
    return buffer;
}

long Exiv2FileSource::read(Exiv2::byte* into, long count) {
    if (count <= 0) {
        return 0;
    }
    long got = 0;
    try {
        got = static_cast<long>(file_.read(position_, reinterpret_cast<char*>(into), count));
    } catch (const Error&) {
        failed_ = true;
        return 0;
    }
    position_ += got;
    atEnd_ = got < count;
    return got;
}

int Exiv2FileSource::getb() {
    Exiv2::byte value = 0;
    return read(&value, 1) == 1 ? value : EOF;
}

void Exiv2FileSource::transfer(Exiv2::BasicIo&) {
    throw Exiv2::Error(Exiv2::kerDataSourceOpenFailed, path(), std::strerror(EROFS));
}

int Exiv2FileSource::seek(long offset, Position from) {
    long base = 0;
    if (from == cur) {
        base = position_;
    } else if (from == end) {
        base = static_cast<long>(size());
    }
    long target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) {
        return 1;
    }
    position_ = target;
    atEnd_ = false;
    return 0;
}

Exiv2::byte* Exiv2FileSource::mmap(bool writeable) {
    if (writeable) {
        throw Exiv2::Error(Exiv2::kerCallFailed, path(), std::strerror(EROFS), "mmap");
    }
    munmap();
    mappedLength_ = size();
    void* mapped = ::mmap(nullptr, mappedLength_, PROT_READ, MAP_SHARED, file_.descriptor(), 0);
    if (mapped == MAP_FAILED) {
        mappedLength_ = 0;
        throw Exiv2::Error(Exiv2::kerCallFailed, path(), std::strerror(errno), "mmap");
    }
    mapped_ = mapped;
    return static_cast<Exiv2::byte*>(mapped_);
}

int Exiv2FileSource::munmap() {
    if (mapped_ != nullptr) {
        ::munmap(mapped_, mappedLength_);
        mapped_ = nullptr;
        mappedLength_ = 0;
    }
    return 0;
}

long Exiv2FileSource::tell() const {
    return position_;
}

size_t Exiv2FileSource::size() const {
    try {
        return static_cast<size_t>(file_.size());
    } catch (const Error&) {
        return static_cast<size_t>(-1);
    }
}

bool Exiv2FileSource::isopen() const {
    return open_;
}

int Exiv2FileSource::error() const {
    return failed_ ? 1 : 0;
}

bool Exiv2FileSource::eof() const {
    return atEnd_;
}

std::string Exiv2FileSource::path() const {
    return QFile::encodeName(file_.path()).toStdString();
}

}  // namespace lumivex
