#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <utility>

namespace lumivex {

// The bits of a codec's header, most significant first, as the parsers of the sizes a decoder
// allocates for read them; reading or skipping past the end marks the reader failed, and a failed
// read gives 0. On whichever thread calls.
class BitReader {
public:
    explicit BitReader(QByteArray bytes) : bytes_(std::move(bytes)) {}

    quint32 read(int count) {
        quint32 value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= bytes_.size() * 8) {
                failed_ = true;
                return 0;
            }
            const auto byte = static_cast<quint8>(bytes_[position_ / 8]);
            value = (value << 1) | ((byte >> (7 - position_ % 8)) & 1);
            ++position_;
        }
        return value;
    }
    void skip(int count) {
        position_ += count;
        failed_ = failed_ || position_ > bytes_.size() * 8;
    }
    void fail() { failed_ = true; }
    bool failed() const { return failed_; }

private:
    QByteArray bytes_;
    qsizetype position_ = 0;
    bool failed_ = false;
};

}  // namespace lumivex
