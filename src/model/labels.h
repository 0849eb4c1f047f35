#pragma once

#include "model/shared_map.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <initializer_list>
#include <map>
#include <utility>

namespace lumivex {

// Option values of one item, keyed by the property's upper-case UUID text. A copy shares its map
// with the original until either is changed, so copying an item is cheap and two copies that
// were never changed compare equal without looking at their values. Reading never copies;
// iteration is read-only, and a reference returned by operator[] is valid only until the value
// is copied or changed again, as with any shared value type.
class Labels {
public:
    using Map = std::map<QString, QStringList>;
    using key_type = Map::key_type;
    using mapped_type = Map::mapped_type;
    using value_type = Map::value_type;
    using size_type = Map::size_type;
    using const_iterator = Map::const_iterator;
    using iterator = const_iterator;

    Labels() = default;
    Labels(std::initializer_list<value_type> values);

    const_iterator begin() const { return map().begin(); }
    const_iterator end() const { return map().end(); }
    const_iterator find(const QString& key) const { return map().find(key); }
    size_type count(const QString& key) const { return map().count(key); }
    bool contains(const QString& key) const { return map().contains(key); }
    // Throws std::out_of_range for a missing key, like std::map::at.
    const QStringList& at(const QString& key) const { return map().at(key); }
    size_type size() const { return map().size(); }
    bool empty() const { return map().empty(); }

    QStringList& operator[](const QString& key) { return mutableMap()[key]; }
    size_type erase(const QString& key);
    void clear() { values_.clear(); }
    std::pair<const_iterator, bool> insert(const value_type& value);
    std::pair<const_iterator, bool> insert_or_assign(const QString& key, QStringList values);
    template <typename... Arguments>
    std::pair<const_iterator, bool> emplace(Arguments&&... arguments) {
        return mutableMap().emplace(std::forward<Arguments>(arguments)...);
    }

    // True at once when both share one map.
    bool operator==(const Labels& other) const { return values_ == other.values_; }

private:
    const Map& map() const { return values_; }
    Map& mutableMap() { return values_.mutableMap(); }

    SharedMap<QString, QStringList> values_;
};

// A hash of the keys and values, for finding equal labels among many without building a text.
size_t qHash(const Labels& labels, size_t seed = 0);

// Calls `visit(key, old, now)` for every property whose values differ between the two labels,
// with the values before and after (empty where the item holds none), in one walk of both.
template <typename Visit>
void forEachChangedProperty(const Labels& before, const Labels& after, const Visit& visit) {
    const QStringList none;
    const auto note = [&](const QString& key, const QStringList& old, const QStringList& now) {
        if (!(old == now)) {
            visit(key, old, now);
        }
    };
    auto old = before.begin();
    auto now = after.begin();
    while (old != before.end() || now != after.end()) {
        if (now == after.end() || (old != before.end() && old->first < now->first)) {
            note(old->first, old->second, none);
            ++old;
        } else if (old == before.end() || now->first < old->first) {
            note(now->first, none, now->second);
            ++now;
        } else {
            note(old->first, old->second, now->second);
            ++old;
            ++now;
        }
    }
}

}  // namespace lumivex
