#include "model/labels.h"

#include <atomic>

namespace lumivex {

Labels::Labels(std::initializer_list<value_type> values)
    : shared_(values.size() == 0 ? nullptr : std::make_shared<Map>(values)) {}

const Labels::Map& Labels::map() const {
    static const Map none;
    return shared_ ? *shared_ : none;
}

Labels::Map& Labels::mutableMap() {
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

Labels::size_type Labels::erase(const QString& key) {
    if (!contains(key)) {
        return 0;
    }
    return mutableMap().erase(key);
}

std::pair<Labels::const_iterator, bool> Labels::insert(const value_type& value) {
    return mutableMap().insert(value);
}

std::pair<Labels::const_iterator, bool> Labels::insert_or_assign(const QString& key,
                                                                 QStringList values) {
    return mutableMap().insert_or_assign(key, std::move(values));
}

bool Labels::operator==(const Labels& other) const {
    return shared_ == other.shared_ || map() == other.map();
}

}  // namespace lumivex
