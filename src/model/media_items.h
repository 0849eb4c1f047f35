#pragma once

#include "model/media_item.h"

#include <QList>

#include <atomic>
#include <compare>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

namespace lumivex {

class SearchTextIndex;

// The items of a library, in order, stored in chunks of a fixed number of items that copies share
// until one of them changes. Copying the list copies only the chunk pointers, and changing one
// item copies only its chunk, so a state kept for undo costs little beyond what its edit changed;
// two lists that share a chunk compare it by address alone. Reading never copies. A reference
// from a non-const access is valid until the list is copied or changed again; iterators are
// positions and survive both. Not for concurrent writes, like any value type.
class MediaItems {
    struct Chunk;
    using ChunkPointer = std::shared_ptr<Chunk>;

public:
    static constexpr qsizetype chunkCapacity = 512;

    template <bool Mutable>
    class Iterator {
        using Owner = std::conditional_t<Mutable, MediaItems, const MediaItems>;

    public:
        using iterator_category = std::random_access_iterator_tag;
        using iterator_concept = std::random_access_iterator_tag;
        using value_type = MediaItem;
        using difference_type = qsizetype;
        using pointer = std::conditional_t<Mutable, MediaItem*, const MediaItem*>;
        using reference = std::conditional_t<Mutable, MediaItem&, const MediaItem&>;

        Iterator() = default;
        Iterator(Owner* owner, qsizetype index) : owner_(owner), index_(index) {}
        // A mutable position reads as a const one.
        operator Iterator<false>() const { return {owner_, index_}; }

        reference operator*() const { return (*owner_)[index_]; }
        pointer operator->() const { return &(*owner_)[index_]; }
        reference operator[](qsizetype offset) const { return (*owner_)[index_ + offset]; }

        Iterator& operator++() { return ++index_, *this; }
        Iterator operator++(int) { return {owner_, index_++}; }
        Iterator& operator--() { return --index_, *this; }
        Iterator operator--(int) { return {owner_, index_--}; }
        Iterator& operator+=(qsizetype offset) { return index_ += offset, *this; }
        Iterator& operator-=(qsizetype offset) { return index_ -= offset, *this; }
        friend Iterator operator+(Iterator at, qsizetype offset) { return at += offset; }
        friend Iterator operator+(qsizetype offset, Iterator at) { return at += offset; }
        friend Iterator operator-(Iterator at, qsizetype offset) { return at -= offset; }
        friend qsizetype operator-(const Iterator& a, const Iterator& b) {
            return a.index_ - b.index_;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.index_ == b.index_;
        }
        friend auto operator<=>(const Iterator& a, const Iterator& b) {
            return a.index_ <=> b.index_;
        }

    private:
        Owner* owner_ = nullptr;
        qsizetype index_ = 0;
    };

    using value_type = MediaItem;
    using size_type = qsizetype;
    using difference_type = qsizetype;
    using reference = MediaItem&;
    using const_reference = const MediaItem&;
    using iterator = Iterator<true>;
    using const_iterator = Iterator<false>;

    MediaItems() = default;
    MediaItems(std::initializer_list<MediaItem> items);
    // A copy of the list's items; for call sites that hold a QList.
    MediaItems(const QList<MediaItem>& items);
    MediaItems(QList<MediaItem>&& items);
    QList<MediaItem> toList() const;
    // The `length` items from `position` (all that follow when negative); a leading part shares
    // its whole chunks with this list.
    MediaItems mid(qsizetype position, qsizetype length = -1) const;

    qsizetype size() const { return size_; }
    qsizetype count() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    bool empty() const { return size_ == 0; }

    const MediaItem& at(qsizetype index) const {
        return chunks_.at(index / chunkCapacity)->items[chunkOffset(index)];
    }
    const MediaItem& operator[](qsizetype index) const { return at(index); }
    // Copies the item's chunk first when another list shares it.
    MediaItem& operator[](qsizetype index);
    const MediaItem& first() const { return at(0); }
    const MediaItem& last() const { return at(size_ - 1); }
    MediaItem& first() { return (*this)[0]; }
    MediaItem& last() { return (*this)[size_ - 1]; }
    const MediaItem& front() const { return first(); }
    const MediaItem& back() const { return last(); }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    // Mutable iteration copies each shared chunk it reaches; read through a const list instead.
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, size_}; }

    void append(const MediaItem& item);
    void append(MediaItem&& item);
    void append(const MediaItems& items);
    // Appends the `count` items of `items` from `position`, sharing the chunks that both lists
    // would hold whole at the same place within a chunk instead of copying their items.
    void append(const MediaItems& items, qsizetype position, qsizetype count);
    void push_back(const MediaItem& item) { append(item); }
    void push_back(MediaItem&& item) { append(std::move(item)); }
    void reserve(qsizetype count);
    void clear();
    void insert(qsizetype index, MediaItem item);
    void removeAt(qsizetype index);
    void swapItemsAt(qsizetype i, qsizetype j);
    void removeFirst() { removeAt(0); }
    void removeLast() { removeAt(size_ - 1); }
    // Removes every item the predicate holds for, asked once per item in order; returns how many.
    // The chunks before the first removed item stay shared.
    template <typename Predicate>
    qsizetype removeIf(Predicate predicate);

    // An equal list whose texts are allocated afresh, one after another, and whose equal value
    // lists and values share one copy. A list built piece by piece amid temporaries leaves its
    // texts scattered over a heap the temporaries have grown; this copy, made after they are gone,
    // packs them together so that the heap around them can be handed back.
    MediaItems compacted() const;

    qsizetype chunkCount() const { return chunks_.size(); }
    // The searched texts of the items of one chunk (from chunk * chunkCapacity on), folded at the
    // first call and kept with the chunk until it changes, so a search without a browse snapshot
    // folds only what changed since the last one. Safe to call from several threads at once.
    const SearchTextIndex& searchTexts(qsizetype chunk) const;

    // Whether both hold the very same chunks, which makes them equal without looking at items.
    bool sharesAllItemsWith(const MediaItems& other) const;
    // The same for the one chunk at `chunk` (false when either list has no such chunk).
    bool sharesChunkWith(const MediaItems& other, qsizetype chunk) const {
        return chunk < chunks_.size() && chunk < other.chunks_.size() &&
               chunks_[chunk] == other.chunks_[chunk];
    }
    bool operator==(const MediaItems& other) const;

private:
    struct Chunk {
        Chunk() = default;
        // Copies the items, not what was derived from them.
        Chunk(const Chunk& other) : items(other.items) {}
        Chunk& operator=(const Chunk&) = delete;
        ~Chunk();
        // Forgets what was derived from the items, which are about to change.
        void changing();

        std::vector<MediaItem> items;
        mutable std::atomic<const SearchTextIndex*> searchTexts{nullptr};
    };
    // The chunk at `index`, owned by this list alone and about to change.
    Chunk& changingChunk(qsizetype index);

    static qsizetype chunkOffset(qsizetype index) {
        return static_cast<qsizetype>(static_cast<std::size_t>(index) % chunkCapacity);
    }
    // The last chunk, made to have room for one more item and owned by this list alone.
    std::vector<MediaItem>& appendTarget();
    // Keeps the first `count` items.
    void truncate(qsizetype count);

    QList<ChunkPointer> chunks_;
    qsizetype size_ = 0;
    qsizetype reserved_ = 0;  // the size that reserve() announced
};

template <typename Predicate>
qsizetype MediaItems::removeIf(Predicate predicate) {
    qsizetype first = 0;
    while (first < size_ && !predicate(std::as_const(*this).at(first))) {
        ++first;
    }
    if (first == size_) {
        return 0;
    }
    const MediaItems old = *this;
    truncate(first);
    for (qsizetype index = first + 1; index < old.size(); ++index) {
        if (!predicate(old.at(index))) {
            append(old.at(index));
        }
    }
    return old.size() - size_;
}

}  // namespace lumivex
