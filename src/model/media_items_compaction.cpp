#include "model/media_items.h"

#include <QHash>

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

    // Equal labels share one map: most items carry one of a few combinations of values.
    Labels shared(const Labels& labels) {
        if (labels.empty()) {
            return labels;
        }
        QString signature;
        for (const auto& [key, values] : labels) {
            signature += key + QChar(u'\1') + values.join(QChar(u'\2')) + QChar(u'\3');
        }
        const auto found = labels_.constFind(signature);
        if (found != labels_.constEnd() && *found == labels) {
            return *found;
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
        labels_.insert(signature, copy);
        return copy;
    }

private:
    QHash<QString, QString> texts_;
    QHash<QString, Labels> labels_;
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
