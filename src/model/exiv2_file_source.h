#pragma once

#include <exiv2/basicio.hpp>

namespace lumivex {

class ReadOnlyFile;

// Exiv2's view of a file that is already open: it behaves as Exiv2's own file access does for
// reading (positions past the end may be sought, a short read sets the end-of-file mark), but
// opening only rewinds and closing only releases a mapping, so Exiv2's format checks and its
// metadata read share the one descriptor and the head read with it. Writing is refused. `file`
// must outlive the source.
class Exiv2FileSource : public Exiv2::BasicIo {
public:
    explicit Exiv2FileSource(const ReadOnlyFile& file);
    ~Exiv2FileSource() override;

    int open() override;
    int close() override;
    long write(const Exiv2::byte* data, long count) override;
    long write(Exiv2::BasicIo& source) override;
    int putb(Exiv2::byte data) override;
    Exiv2::DataBuf read(long count) override;
    long read(Exiv2::byte* into, long count) override;
    int getb() override;
    void transfer(Exiv2::BasicIo& source) override;
    int seek(long offset, Position from) override;
    Exiv2::byte* mmap(bool writeable = false) override;
    int munmap() override;
    long tell() const override;
    size_t size() const override;
    bool isopen() const override;
    int error() const override;
    bool eof() const override;
    std::string path() const override;

private:
    const ReadOnlyFile& file_;
    long position_ = 0;
    bool open_ = false;
    bool atEnd_ = false;
    bool failed_ = false;
    void* mapped_ = nullptr;
    size_t mappedLength_ = 0;
};

}  // namespace lumivex
