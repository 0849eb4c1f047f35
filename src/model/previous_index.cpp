#include "model/previous_index.h"

#include "model/file_deletion_validation.h"
#include "platform/decimal_text.h"
#include "platform/file_status.h"

#include <bit>
#include <charconv>
#include <optional>

namespace lumivex {

namespace {

using Key = PreviousIndex::Key;

std::uint64_t hashOf(const Key& key) {
    std::uint64_t h = key.device * 0x9e3779b97f4a7c15ULL ^ key.inode * 0xc2b2ae3d27d4eb4fULL ^
                      key.creationBits * 0x165667b19e3779f9ULL ^ key.present;
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ULL;
    return h ^ (h >> 29);
}

std::uint32_t tagOf(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash >> 32);
}

Key keyOf(const FileStatus& status) {
    Key key;
    key.device = status.device.value_or(0);
    key.inode = status.inode.value_or(0);
    key.present = static_cast<std::uint8_t>((status.device ? 1 : 0) | (status.inode ? 2 : 0));
    key.creationBits =
        std::bit_cast<std::uint64_t>(status.created ? status.created->secondsSince1970 : 0.0);
    return key;
}

// The key of an identity text. Every text a file's identity is written as gives that file's key
// (a finite time's shortest decimal reads back as the same double); other texts may give a key
// too, so a match is only a candidate until the texts compare equal.
std::optional<Key> parsedKey(QStringView text) {
    Key key;
    qsizetype at = 0;
    for (int field = 0; field < 2; ++field, ++at) {
        std::uint64_t value = 0;
        const qsizetype start = at;
        for (; at < text.size() && text[at] != u':'; ++at) {
            const char16_t c = text[at].unicode();
            if (c < u'0' || c > u'9' || __builtin_mul_overflow(value, 10u, &value) ||
                __builtin_add_overflow(value, static_cast<unsigned>(c - u'0'), &value)) {
                return std::nullopt;
            }
        }
        if (at == text.size()) {
            return std::nullopt;
        }
        if (at > start) {
            (field == 0 ? key.device : key.inode) = value;
            key.present |= static_cast<std::uint8_t>(1 << field);
        }
    }
    char ascii[DecimalText::shortestCapacity];
    const qsizetype length = text.size() - at;
    if (length <= 0 || length > qsizetype(sizeof ascii)) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < length; ++i) {
        ascii[i] = static_cast<char>(text[at + i].unicode());
    }
    double creation = 0;
    if (std::from_chars(ascii, ascii + length, creation).ec != std::errc()) {
        return std::nullopt;
    }
    key.creationBits = std::bit_cast<std::uint64_t>(creation);
    return key;
}

// Qt's general comparison of UTF-16 with Latin-1 costs more than a rescan's examination of the
// file; an identity is short and almost always equal when compared.
bool sameText(const QString& text, QLatin1String latin1) {
    if (text.size() != latin1.size()) {
        return false;
    }
    const QChar* units = text.constData();
    for (qsizetype i = 0; i < latin1.size(); ++i) {
        if (units[i].unicode() != static_cast<unsigned char>(latin1[i].toLatin1())) {
            return false;
        }
    }
    return true;
}

}  // namespace

PreviousIndex::PreviousIndex(const QList<MediaItem>& previous)
    : previous_(previous),
      next_(static_cast<std::size_t>(previous.size()), -1),
      keys_(static_cast<std::size_t>(previous.size())),
      leads_(static_cast<std::size_t>(previous.size()), false),
      slots_(std::bit_ceil(2 * static_cast<std::size_t>(previous.size()) + 2)) {
    for (qsizetype i = previous.size() - 1; i >= 0; --i) {
        const std::optional<Key> key = parsedKey(previous[i].fileIdentity);
        if (!key) {
            continue;  // no file's identity is written like this
        }
        const auto index = static_cast<std::size_t>(i);
        keys_[index] = *key;
        const std::uint64_t hash = hashOf(*key);
        Slot& slot = slots_[slotOf(*key, tagOf(hash), hash)];
        slot.tag = tagOf(hash);
        next_[index] = slot.first;
        if (slot.first >= 0) {
            leads_[static_cast<std::size_t>(slot.first)] = false;
        }
        leads_[index] = true;
        slot.first = static_cast<std::int32_t>(i);
    }
}

PreviousIndex::Match PreviousIndex::find(const FileStatus& status, const Date& modified,
                                         std::int64_t size, Cursor& cursor) const {
    char text[FileDeletionValidation::identityCapacity];
    const QLatin1String identity(
        text, FileDeletionValidation::writeIdentity(status, status.created, text));
    const Key key = keyOf(status);
    if (const MediaItem* expected = nextInOrder(key, identity, modified, size, cursor)) {
        return {expected->fileIdentity, expected};
    }
    Match match;
    bool known = false;
    for (qsizetype i = first(key); i >= 0; i = next_[static_cast<std::size_t>(i)]) {
        const MediaItem& candidate = previous_[i];
        if (!sameText(candidate.fileIdentity, identity)) {
            continue;
        }
        if (!known) {
            match.identity = candidate.fileIdentity;
            known = true;
        }
        if (candidate.modified == modified && candidate.size == size) {
            match.unchanged = &candidate;
            cursor.expected = static_cast<std::size_t>(i) + 1;
            break;
        }
    }
    if (!known) {
        match.identity = identity;
    }
    return match;
}

// The expected record when it is what the table would give: the first of its group, with the same
// identity text, date and size.
const MediaItem* PreviousIndex::nextInOrder(const Key& key, QLatin1String identity,
                                            const Date& modified, std::int64_t size,
                                            Cursor& cursor) const {
    const std::size_t expected = cursor.expected;
    if (expected >= leads_.size() || !leads_[expected] || !(keys_[expected] == key)) {
        return nullptr;
    }
    const MediaItem& candidate = previous_[static_cast<qsizetype>(expected)];
    if (!sameText(candidate.fileIdentity, identity) || !(candidate.modified == modified) ||
        candidate.size != size) {
        return nullptr;
    }
    ++cursor.expected;
    return &candidate;
}

// The slot of the key's group, or the free slot where it would start.
std::size_t PreviousIndex::slotOf(const Key& key, std::uint32_t tag, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.first < 0 ||
            (slot.tag == tag && keys_[static_cast<std::size_t>(slot.first)] == key)) {
            return at;
        }
    }
}

// The first record of the key's group, -1 for none.
std::int32_t PreviousIndex::first(const Key& key) const {
    const std::uint64_t hash = hashOf(key);
    return slots_[slotOf(key, tagOf(hash), hash)].first;
}

}  // namespace lumivex
