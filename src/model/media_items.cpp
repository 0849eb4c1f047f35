#include "model/media_items.h"

#include "model/search_text_index.h"

#include <algorithm>
#include <atomic>

namespace lumivex {

MediaItems::MediaItems(std::initializer_list<MediaItem> items) {
    reserve(static_cast<qsizetype>(items.size()));
    for (const MediaItem& item : items) {
        append(item);
    }
}

MediaItems::MediaItems(const QList<MediaItem>& items) {
    reserve(items.size());
    for (const MediaItem& item : items) {
        append(item);
    }
}

MediaItems::MediaItems(QList<MediaItem>&& items) {
    reserve(items.size());
    for (MediaItem& item : items) {
        append(std::move(item));
    }
    items.clear();
}

QList<MediaItem> MediaItems::toList() const {
    QList<MediaItem> list;
    list.reserve(size_);
    for (const ChunkPointer& chunk : chunks_) {
        list.append(QList<MediaItem>(chunk->items.begin(), chunk->items.end()));
    }
    return list;
}

MediaItems MediaItems::mid(qsizetype position, qsizetype length) const {
    const qsizetype end = length < 0 ? size_ : std::min(size_, position + length);
    if (position == 0) {
        MediaItems leading = *this;
        leading.truncate(end);
        return leading;
    }
    MediaItems part;
    for (qsizetype index = position; index < end; ++index) {
        part.append(at(index));
    }
    return part;
}

MediaItems::Chunk::~Chunk() {
    delete searchTexts.load();
}

void MediaItems::Chunk::changing() {
    delete searchTexts.exchange(nullptr);
}

MediaItems::Chunk& MediaItems::changingChunk(qsizetype index) {
    ChunkPointer& chunk = chunks_[index];
    if (chunk.use_count() > 1) {
        chunk = std::make_shared<Chunk>(*chunk);
    } else {
        // The count is read relaxed: a list on another thread that read the chunk and then let
        // it go must be seen to have finished reading before the chunk changes here.
        std::atomic_thread_fence(std::memory_order_acquire);
        chunk->changing();
    }
    return *chunk;
}

MediaItem& MediaItems::operator[](qsizetype index) {
    return changingChunk(index / chunkCapacity).items[static_cast<std::size_t>(chunkOffset(index))];
}

const SearchTextIndex& MediaItems::searchTexts(qsizetype chunk) const {
    const Chunk& held = *chunks_.at(chunk);
    if (const SearchTextIndex* known = held.searchTexts.load(std::memory_order_acquire)) {
        return *known;
    }
    auto built = std::make_unique<SearchTextIndex>();
    for (const MediaItem& item : held.items) {
        built->addItem(item);
    }
    built->finish();
    const SearchTextIndex* expected = nullptr;
    if (held.searchTexts.compare_exchange_strong(expected, built.get(),
                                                 std::memory_order_acq_rel)) {
        return *built.release();
    }
    return *expected;  // another thread was first
}

std::vector<MediaItem>& MediaItems::appendTarget() {
    if (chunks_.isEmpty() || chunks_.last()->items.size() == chunkCapacity) {
        // A short list (most lists of one folder are) takes the room it needs, not a chunk.
        auto fresh = std::make_shared<Chunk>();
        if (!chunks_.isEmpty() || reserved_ > 0) {
            fresh->items.reserve(static_cast<std::size_t>(
                chunks_.isEmpty() ? std::min(reserved_, chunkCapacity) : chunkCapacity));
        }
        chunks_.append(std::move(fresh));
    } else {
        changingChunk(chunks_.size() - 1);
    }
    ++size_;
    return chunks_.last()->items;
}

void MediaItems::append(const MediaItem& item) {
    appendTarget().push_back(item);
}

void MediaItems::append(MediaItem&& item) {
    appendTarget().push_back(std::move(item));
}

void MediaItems::append(const MediaItems& items) {
    for (const MediaItem& item : items) {
        append(item);
    }
}

void MediaItems::append(const MediaItems& items, qsizetype position, qsizetype count) {
    const qsizetype end = position + count;
    while (position < end) {
        const ChunkPointer& chunk = items.chunks_.at(position / chunkCapacity);
        const auto length = static_cast<qsizetype>(chunk->items.size());
        if (chunkOffset(size_) == 0 && chunkOffset(position) == 0 && length <= end - position) {
            chunks_.append(chunk);
            size_ += length;
            position += length;
        } else {
            append(items.at(position++));
        }
    }
}

void MediaItems::reserve(qsizetype count) {
    reserved_ = std::max(reserved_, count);
    chunks_.reserve((count + chunkCapacity - 1) / chunkCapacity);
}

void MediaItems::clear() {
    chunks_.clear();
    size_ = 0;
    reserved_ = 0;
}

void MediaItems::truncate(qsizetype count) {
    if (count >= size_) {
        return;
    }
    const qsizetype keptChunks = (count + chunkCapacity - 1) / chunkCapacity;
    chunks_.resize(keptChunks);
    size_ = count;
    const auto lastSize = static_cast<std::size_t>(count - (keptChunks - 1) * chunkCapacity);
    if (keptChunks > 0 && chunks_.last()->items.size() != lastSize) {
        auto kept = std::make_shared<Chunk>();
        const auto& items = chunks_.last()->items;
        kept->items.assign(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(lastSize));
        chunks_.last() = std::move(kept);
    }
}

void MediaItems::insert(qsizetype index, MediaItem item) {
    const MediaItems old = *this;
    truncate(index);
    append(std::move(item));
    for (qsizetype i = index; i < old.size(); ++i) {
        append(old.at(i));
    }
}

void MediaItems::removeAt(qsizetype index) {
    removeIf(
        [&, position = qsizetype{0}](const MediaItem&) mutable { return position++ == index; });
}

void MediaItems::swapItemsAt(qsizetype i, qsizetype j) {
    MediaItem first = at(i);
    (*this)[i] = at(j);
    (*this)[j] = std::move(first);
}

bool MediaItems::sharesAllItemsWith(const MediaItems& other) const {
    return size_ == other.size_ && chunks_ == other.chunks_;
}

bool MediaItems::operator==(const MediaItems& other) const {
    if (size_ != other.size_) {
        return false;
    }
    for (qsizetype i = 0; i < chunks_.size(); ++i) {
        const ChunkPointer& mine = chunks_[i];
        const ChunkPointer& theirs = other.chunks_[i];
        if (mine != theirs && mine->items != theirs->items) {
            return false;
        }
    }
    return true;
}

}  // namespace lumivex
