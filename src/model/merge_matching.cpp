#include "model/merge_matching.h"

#include "platform/text_order.h"

#include <QStringView>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace lumivex::MergeMatching {

namespace {

constexpr std::int32_t none = -1;

// Qt's string hash is SipHash, made to resist chosen collisions and slow for it: it took a fifth
// of a rescan's merge. Here a collision only costs a comparison of texts. Two lanes of 8 bytes
// each go side by side, so neither waits for the other's multiplication.
std::uint64_t hashOf(QStringView text, std::uint64_t seed) {
    constexpr std::uint64_t k0 = 0x9e3779b97f4a7c15ULL;
    constexpr std::uint64_t k1 = 0xc2b2ae3d27d4eb4fULL;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.utf16());
    auto left = static_cast<std::size_t>(text.size()) * sizeof(char16_t);
    std::uint64_t a = seed ^ (left * k0);
    std::uint64_t b = seed + k1;
    const auto step = [](std::uint64_t lane, const unsigned char* from, std::size_t length,
                         std::uint64_t factor) {
        std::uint64_t word = 0;
        std::memcpy(&word, from, length);
        lane = (lane ^ word) * factor;
        return lane ^ (lane >> 32);
    };
    for (; left >= 16; left -= 16, bytes += 16) {
        a = step(a, bytes, 8, k0);
        b = step(b, bytes + 8, 8, k1);
    }
    if (left > 8) {
        a = step(a, bytes, 8, k0);
        b = step(b, bytes + 8, left - 8, k1);
    } else if (left > 0) {
        a = step(a, bytes, left, k0);
    }
    std::uint64_t hash = a ^ (b * k0);
    hash ^= hash >> 31;
    hash *= 0xbf58476d1ce4e5b9ULL;
    return hash ^ (hash >> 29);
}

// The NFC forms of an item's texts. Texts composed already are viewed where they lie; the few
// that are not are normalized into this store, whose texts keep their characters in place while
// the store grows.
class ComposedTexts {
public:
    QStringView composed(const QString& text) {
        return TextOrder::knownComposed(text) ? QStringView(text)
                                              : kept(text.normalized(QString::NormalizationForm_C));
    }
    QStringView kept(QString text) {
        made_.push_back(std::move(text));
        return made_.back();
    }

private:
    std::vector<QString> made_;
};

// Equal code units, compared as memory: Qt's text equality goes through its general comparison.
bool sameUnits(QStringView a, QStringView b) {
    return a.size() == b.size() && std::equal(a.utf16(), a.utf16() + a.size(), b.utf16());
}

// An item's keys in NFC. The pair key (file name, U+0000, identity) is held split at its first
// U+0000, which ends the name unless the name holds one itself: two pair keys are equal exactly
// when both parts are, and neither part has to be written out for an ordinary name.
struct Keys {
    QStringView head;
    QStringView tail;
    QStringView identity;

    bool samePair(const Keys& other) const {
        return sameUnits(head, other.head) && sameUnits(tail, other.tail);
    }
    std::uint64_t pairHash() const { return hashOf(tail, hashOf(head, 0)); }
    std::uint64_t identityHash() const { return hashOf(identity, 0); }
};

Keys keysOf(const MediaItem& item, ComposedTexts& texts) {
    const QStringView name = texts.composed(item.filename);
    const QStringView identity = texts.composed(item.fileIdentity);
    const qsizetype zero = name.indexOf(QChar(u'\0'));
    if (zero < 0) {
        return {name, identity, identity};
    }
    const QStringView tail =
        texts.kept(name.mid(zero + 1).toString() + QChar(u'\0') + identity.toString());
    return {name.left(zero), tail, identity};
}

// The old positions of each key, ascending, as chains through an open-addressed table twice as
// long as the positions; a key's slot remembers the first position of its chain not taken yet,
// so a key many old items share is walked once in all, not once per scanned item. Entries are
// indexes into the positions the chains were made of; the key tests are given positions. A
// library holds far fewer than 2^31 items.
class KeyChains {
public:
    // `sameKey(position, other)` says whether two old positions share a key.
    template <typename SameKey>
    KeyChains(std::vector<std::int32_t> positions, const std::vector<std::uint64_t>& hashes,
              SameKey sameKey)
        : positions_(std::move(positions)),
          next_(positions_.size(), none),
          slotOfEntry_(positions_.size(), none),
          alone_(positions_.size(), true),
          slots_(std::bit_ceil(std::max<std::size_t>(8, positions_.size() * 2))) {
        for (auto entry = static_cast<std::int32_t>(positions_.size()) - 1; entry >= 0; --entry) {
            const auto at = static_cast<std::size_t>(entry);
            const std::size_t slot = slotFor(
                hashes[at], [&](std::int32_t other) { return sameKey(position(entry), other); });
            Slot& held = slots_[slot];
            if (held.owner == none) {
                held.tag = tagOf(hashes[at]);
                held.owner = entry;
            } else {
                alone_[at] = false;
                alone_[static_cast<std::size_t>(held.first)] = false;
            }
            next_[at] = held.first;
            held.first = entry;
            slotOfEntry_[at] = static_cast<std::int32_t>(slot);
        }
    }

    // The slot of the key for which `isKeyOf(position)` holds, or none.
    template <typename IsKeyOf>
    std::int32_t find(std::uint64_t hash, IsKeyOf isKeyOf) const {
        const std::size_t slot = slotFor(hash, isKeyOf);
        return slots_[slot].owner == none ? none : static_cast<std::int32_t>(slot);
    }

    // Takes the first position not taken yet with the key of `entry`; none when all are. The
    // key of most entries is theirs alone, and then their slot need not be read.
    std::int32_t takeFirstWithKeyOf(qsizetype entry, std::vector<bool>& taken) {
        const auto at = static_cast<std::size_t>(entry);
        if (!alone_[at]) {
            return takeFirst(slotOfEntry_[at], taken);
        }
        const auto found = static_cast<std::size_t>(position(static_cast<std::int32_t>(entry)));
        if (taken[found]) {
            return none;
        }
        taken[found] = true;
        return static_cast<std::int32_t>(found);
    }

    // Takes the first position of the slot's key that is not taken yet; none when all are.
    std::int32_t takeFirst(std::int32_t slot, std::vector<bool>& taken) {
        std::int32_t& first = slots_[static_cast<std::size_t>(slot)].first;
        while (first != none && taken[static_cast<std::size_t>(position(first))]) {
            first = next_[static_cast<std::size_t>(first)];
        }
        if (first == none) {
            return none;
        }
        const std::int32_t found = position(first);
        taken[static_cast<std::size_t>(found)] = true;
        first = next_[static_cast<std::size_t>(first)];
        return found;
    }

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::int32_t owner = none;  // an entry with the slot's key; none: the slot is free
        std::int32_t first = none;  // the first entry of the key that may not be taken yet
    };

    static std::uint32_t tagOf(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32);
    }

    // The slot of the key, or the free slot where it would go.
    template <typename IsKeyOf>
    std::size_t slotFor(std::uint64_t hash, IsKeyOf isKeyOf) const {
        const std::size_t mask = slots_.size() - 1;
        const std::uint32_t tag = tagOf(hash);
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.owner == none || (slot.tag == tag && isKeyOf(position(slot.owner)))) {
                return at;
            }
        }
    }

    std::int32_t position(std::int32_t entry) const {
        return positions_[static_cast<std::size_t>(entry)];
    }

    std::vector<std::int32_t> positions_;
    std::vector<std::int32_t> next_;
    std::vector<std::int32_t> slotOfEntry_;
    std::vector<bool> alone_;  // whether no other entry has the entry's key
    std::vector<Slot> slots_;
};

// Texts equal as they stand have equal NFC forms.
bool sameTexts(const MediaItem& a, const MediaItem& b) {
    return sameUnits(a.filename, b.filename) && sameUnits(a.fileIdentity, b.fileIdentity);
}

void matchPairs(const MediaItems& old, const std::vector<Keys>& oldKeys,
                const QList<MediaItem>& scanned, ComposedTexts& texts, Matches& matches) {
    std::vector<std::int32_t> positions(oldKeys.size());
    std::vector<std::uint64_t> hashes(oldKeys.size());
    for (std::size_t i = 0; i < oldKeys.size(); ++i) {
        positions[i] = static_cast<std::int32_t>(i);
        hashes[i] = oldKeys[i].pairHash();
    }
    KeyChains chains(std::move(positions), hashes, [&](std::int32_t a, std::int32_t b) {
        return oldKeys[static_cast<std::size_t>(a)].samePair(oldKeys[static_cast<std::size_t>(b)]);
    });
    // A rescan lists the files in the order of the scan before, which is the library's order:
    // the old item after the last one taken is most often the one, and when its texts are the
    // scanned item's own, its keys are too, so the scanned item is neither normalized nor hashed.
    qsizetype expected = 0;
    for (qsizetype n = 0; n < scanned.size(); ++n) {
        const MediaItem& fresh = scanned[n];
        std::int32_t found = none;
        if (expected < old.size() && sameTexts(old.at(expected), fresh)) {
            // Every old position is an entry here.
            found = chains.takeFirstWithKeyOf(expected, matches.taken);
        } else {
            const Keys keys = keysOf(fresh, texts);
            const std::int32_t slot = chains.find(keys.pairHash(), [&](std::int32_t position) {
                return oldKeys[static_cast<std::size_t>(position)].samePair(keys);
            });
            found = slot == none ? none : chains.takeFirst(slot, matches.taken);
        }
        if (found != none) {
            matches.oldForNew[static_cast<std::size_t>(n)] = found;
            expected = found + 1;
        }
    }
}

// Only old items no scanned item took can still be taken, so only they are chained.
void matchIdentities(const std::vector<Keys>& oldKeys, const QList<MediaItem>& scanned,
                     ComposedTexts& texts, Matches& matches) {
    std::vector<std::int32_t> positions;
    std::vector<std::uint64_t> hashes;
    for (std::size_t i = 0; i < oldKeys.size(); ++i) {
        if (!matches.taken[i]) {
            positions.push_back(static_cast<std::int32_t>(i));
            hashes.push_back(oldKeys[i].identityHash());
        }
    }
    const auto identityOf = [&](std::int32_t position) {
        return oldKeys[static_cast<std::size_t>(position)].identity;
    };
    KeyChains chains(std::move(positions), hashes, [&](std::int32_t a, std::int32_t b) {
        return sameUnits(identityOf(a), identityOf(b));
    });
    for (qsizetype n = 0; n < scanned.size(); ++n) {
        if (matches.oldForNew[static_cast<std::size_t>(n)] >= 0) {
            continue;
        }
        const QStringView identity = texts.composed(scanned[n].fileIdentity);
        const std::int32_t slot = chains.find(hashOf(identity, 0), [&](std::int32_t position) {
            return sameUnits(identityOf(position), identity);
        });
        const std::int32_t found = slot == none ? none : chains.takeFirst(slot, matches.taken);
        if (found != none) {
            matches.oldForNew[static_cast<std::size_t>(n)] = found;
        }
    }
}

}  // namespace

Matches match(const MediaItems& old, const QList<MediaItem>& scanned) {
    Matches matches{std::vector<qsizetype>(static_cast<std::size_t>(scanned.size()), -1),
                    std::vector<bool>(static_cast<std::size_t>(old.size()), false)};
    ComposedTexts texts;
    std::vector<Keys> oldKeys;
    oldKeys.reserve(static_cast<std::size_t>(old.size()));
    for (const MediaItem& item : old) {
        oldKeys.push_back(keysOf(item, texts));
    }
    matchPairs(old, oldKeys, scanned, texts, matches);
    // A rescan of an unchanged tree finds every file by its name and identity; the identity pass
    // would only chain the old items for nothing.
    if (std::find(matches.oldForNew.begin(), matches.oldForNew.end(), -1) !=
        matches.oldForNew.end()) {
        matchIdentities(oldKeys, scanned, texts, matches);
    }
    return matches;
}

}  // namespace lumivex::MergeMatching
