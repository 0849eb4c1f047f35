#include "model/labels.h"

#include <QHashFunctions>

namespace lumivex {

Labels::Labels(std::initializer_list<value_type> values) : values_(Map(values)) {}

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

size_t qHash(const Labels& labels, size_t seed) {
    size_t hash = qHashMulti(seed, labels.size());
    for (const auto& [key, values] : labels) {
        hash = qHashMulti(hash, key, values.size());
        for (const QString& value : values) {
            hash = qHashMulti(hash, value);
        }
    }
    return hash;
}

}  // namespace lumivex
