#pragma once

#include <atomic>
#include <initializer_list>
#include <map>
#include <memory>
#include <utility>

namespace lumivex {

// A std::map whose copies share one map until one of them is changed, so that the many copies of
// a library that edits, the published state and the undo history make cost a pointer each, and
// two copies that were never changed compare equal without looking at their values. Reading never
// copies; anything that may change a value (operator[], the non-const at, find, begin and end)
// first takes the map for itself, so the iterators of a non-const map all come from the same map.
// A reference or iterator so obtained is valid only until the value is copied or changed again,
// as with any shared value type.
template <typename Key, typename Value>
class SharedMap {
public:
    using Map = std::map<Key, Value>;
    using key_type = typename Map::key_type;
    using mapped_type = typename Map::mapped_type;
    using value_type = typename Map::value_type;
    using size_type = typename Map::size_type;
    using const_iterator = typename Map::const_iterator;
    using iterator = typename Map::iterator;

    SharedMap() = default;
    // Implicit both ways, so that it stands wherever the plain map stood.
    SharedMap(Map map) : shared_(map.empty() ? nullptr : std::make_shared<Map>(std::move(map))) {}
    SharedMap(std::initializer_list<value_type> values) : SharedMap(Map(values)) {}

    operator const Map&() const { return map(); }

    const_iterator begin() const { return map().begin(); }
    const_iterator end() const { return map().end(); }
    const_iterator cbegin() const { return map().cbegin(); }
    const_iterator cend() const { return map().cend(); }
    iterator begin() { return mutableMap().begin(); }
    iterator end() { return mutableMap().end(); }

    const_iterator find(const Key& key) const { return map().find(key); }
    iterator find(const Key& key) { return mutableMap().find(key); }
    size_type count(const Key& key) const { return map().count(key); }
    bool contains(const Key& key) const { return map().contains(key); }
    // Throws std::out_of_range for a missing key, like std::map::at.
    const Value& at(const Key& key) const { return map().at(key); }
    Value& at(const Key& key) { return mutableMap().at(key); }
    size_type size() const { return map().size(); }
    bool empty() const { return map().empty(); }

    Value& operator[](const Key& key) { return mutableMap()[key]; }
    void clear() { shared_.reset(); }

    // True at once when both share one map.
    bool operator==(const SharedMap& other) const {
        return shared_ == other.shared_ || map() == other.map();
    }
    bool operator==(const Map& other) const { return map() == other; }

    // The map to change, first copied when another value shares it.
    Map& mutableMap() {
        if (!shared_) {
            shared_ = std::make_shared<Map>();
        } else if (shared_.use_count() > 1) {
            shared_ = std::make_shared<Map>(*shared_);
        } else {
            // The count is read relaxed: a copy on another thread that read the map and then let it
            // go must be seen to have finished reading before the map changes here.
            std::atomic_thread_fence(std::memory_order_acquire);
        }
        return *shared_;
    }

private:
    const Map& map() const {
        static const Map none;
        return shared_ ? *shared_ : none;
    }

    std::shared_ptr<Map> shared_;
};

}  // namespace lumivex
