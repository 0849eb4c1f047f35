#include "catalog/deleted_archive.h"

#include "platform/text_order.h"

#include <QSet>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace lumivex {

namespace {

// Finds, for each current property, the archived property its values are filed under. A match by
// identifier is preferred to one by kind or name, and no archived property serves two current
// ones: a scan must never merge two live properties into one archived list.
class Counterparts {
public:
    Counterparts(QList<Category> archived, const QList<Category>& current)
        : working_(std::move(archived)) {
        for (const Category& property : current) {
            currentIDs_.insert(property.id);
        }
        std::vector<qsizetype> chosen(static_cast<size_t>(current.size()), -1);
        for (qsizetype i = 0; i < current.size(); ++i) {
            chosen[static_cast<size_t>(i)] = claimFirst(
                [&](const Category& candidate) { return candidate.id == current[i].id; });
        }
        for (qsizetype i = 0; i < current.size(); ++i) {
            qsizetype& position = chosen[static_cast<size_t>(i)];
            if (position < 0) {
                position = matchByKindOrName(current[i]);
            }
            const QString counterpart = working_[position].idText();
            mapping_[current[i].idText()] = counterpart;
            counterpartIDs_.insert(counterpart);
        }
    }

    const QList<Category>& categories() const { return working_; }

    // Where values under `key` belong: the counterpart's identifier, or none when they are dropped.
    std::optional<QString> target(const QString& key) const {
        if (const auto found = mapping_.find(key); found != mapping_.end()) {
            return found->second;
        }
        if (counterpartIDs_.contains(key)) {
            return key;
        }
        return std::nullopt;
    }

private:
    template <typename Matches>
    qsizetype claimFirst(Matches matches) {
        for (qsizetype j = 0; j < working_.size(); ++j) {
            if (!claimed_.contains(j) && matches(working_[j])) {
                claimed_.insert(j);
                return j;
            }
        }
        return -1;
    }

    qsizetype matchByKindOrName(const Category& property) {
        // An archived property that carries a current property's identifier belongs to that one.
        const auto free = [&](const Category& candidate) {
            return !currentIDs_.contains(candidate.id);
        };
        qsizetype position = -1;
        if (property.kind == PropertyKind::rating) {
            position = claimFirst([&](const Category& candidate) {
                return free(candidate) && candidate.kind == PropertyKind::rating;
            });
        }
        if (position < 0) {
            position = claimFirst([&](const Category& candidate) {
                return free(candidate) &&
                       TextOrder::canonicallyEqual(candidate.name, property.name);
            });
        }
        if (position >= 0) {
            return position;
        }
        // Only a repeated current identifier can already be in the list here.
        for (qsizetype j = 0; j < working_.size(); ++j) {
            if (working_[j].id == property.id) {
                return j;
            }
        }
        working_.append(property);
        claimed_.insert(working_.size() - 1);
        return working_.size() - 1;
    }

    QList<Category> working_;
    QSet<QUuid> currentIDs_;
    QSet<qsizetype> claimed_;
    std::map<QString, QString> mapping_;
    QSet<QString> counterpartIDs_;
};

void appendWithoutRepeats(QStringList& list, const QStringList& values) {
    for (const QString& value : values) {
        const bool present = std::any_of(list.cbegin(), list.cend(), [&](const QString& held) {
            return TextOrder::canonicallyEqual(held, value);
        });
        if (!present) {
            list.append(value);
        }
    }
}

// Values already under a counterpart's own identifier come first; values moved there from a
// current identifier follow, without repeats.
Labels rekeyed(const Labels& labels, const Counterparts& counterparts) {
    Labels result;
    std::vector<std::pair<QString, const QStringList*>> moved;
    for (const auto& [key, values] : labels) {
        const auto target = counterparts.target(key);
        if (!target) {
            continue;
        }
        if (*target == key) {
            result[key] = values;
        } else {
            moved.emplace_back(*target, &values);
        }
    }
    for (const auto& [target, values] : moved) {
        if (result.contains(target)) {
            appendWithoutRepeats(result[target], *values);
        } else {
            result[target] = *values;
        }
    }
    return result;
}

}  // namespace

DeletedArchive DeletedArchive::aligned(const QList<Category>& current) const {
    const Counterparts counterparts(categories, current);
    DeletedArchive result{counterparts.categories(), records};
    for (DeletedRecord& record : result.records) {
        record.item.labels = rekeyed(record.item.labels, counterparts);
    }
    return result;
}

}  // namespace lumivex
