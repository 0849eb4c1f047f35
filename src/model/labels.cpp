#include "model/labels.h"

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

}  // namespace lumivex
