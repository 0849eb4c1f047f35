#include "model/media_items.h"

#include <QHash>

#include <unordered_map>

namespace lumivex {

namespace {

// One text of the pool per distinct text, each allocated at its exact length.
class TextPool {
public:
    QString shared(const QString& text) {
        if (text.isEmpty()) {
            return text;
        }
        const auto found = texts_.constFind(text);
        if (found != texts_.constEnd()) {
            return *found;
        }
        const QString copy = fresh(text);
        texts_.insert(copy, copy);
        return copy;
    }

    static QString fresh(const QString& text) {
        return text.isEmpty() ? text : QString(text.constData(), text.size());
    }

    // Equal labels share one map: most items carry one of a few combinations of values. They are
    // found by a hash of their texts, which builds no text of its own.
    Labels shared(const Labels& labels) {
        if (labels.empty()) {
            return {};  // the reader may have left an empty map behind
        }
        const size_t hash = qHash(labels);
        const auto [first, last] = labels_.equal_range(hash);
        for (auto found = first; found != last; ++found) {
            if (found->second == labels) {
                return found->second;
            }
        }
        Labels copy;
        for (const auto& [key, values] : labels) {
            QStringList pooled;
            pooled.reserve(values.size());
            for (const QString& value : values) {
                pooled.append(shared(value));
            }
            copy.emplace(shared(key), std::move(pooled));
        }
        labels_.emplace(hash, copy);
        return copy;
    }

private:
    QHash<QString, QString> texts_;
    std::unordered_multimap<size_t, Labels> labels_;
};

}  // namespace

MediaItems MediaItems::compacted() const {
    TextPool pool;
    MediaItems result;
    result.reserve(size_);
    for (const MediaItem& item : *this) {
        MediaItem copy = item;
        copy.filename = TextPool::fresh(item.filename);
        copy.fileIdentity = TextPool::fresh(item.fileIdentity);
        copy.notes = TextPool::fresh(item.notes);
        copy.labels = pool.shared(item.labels);
        result.append(std::move(copy));
    }
    return result;
}

}  // namespace lumivex
