#include "model/library.h"

#include "platform/small_text_set.h"
#include "platform/text_order.h"

#include <QHash>
#include <QSet>

namespace lumivex {

namespace {

using PositionIndex = QHash<QString, QList<qsizetype>>;

QString pairKey(const MediaItem& item) {
    return TextOrder::nfc(item.filename) + QChar(u'\0') + TextOrder::nfc(item.fileIdentity);
}

QString identityKey(const MediaItem& item) {
    return TextOrder::nfc(item.fileIdentity);
}

// Matches each new item not yet matched to the first unmatched old position under the same key.
template <typename KeyOf>
void matchBy(KeyOf keyOf, const MediaItems& oldItems, const QList<MediaItem>& newItems,
             QList<qsizetype>& oldForNew, QList<bool>& oldMatched) {
    PositionIndex index;
    for (qsizetype i = 0; i < oldItems.size(); ++i) {
        index[keyOf(oldItems[i])].append(i);
    }
    for (qsizetype n = 0; n < newItems.size(); ++n) {
        if (oldForNew[n] >= 0) {
            continue;
        }
        const auto found = index.constFind(keyOf(newItems[n]));
        if (found == index.constEnd()) {
            continue;
        }
        for (qsizetype position : *found) {
            if (!oldMatched[position]) {
                oldMatched[position] = true;
                oldForNew[n] = position;
                break;
            }
        }
    }
}

QString freeRatingClashName(const QList<Category>& others, qsizetype self) {
    for (int n = 1;; ++n) {
        const QString candidate =
            n == 1 ? QStringLiteral("별점 (분류)") : QStringLiteral("별점 (분류 %1)").arg(n);
        bool taken = false;
        for (qsizetype i = 0; i < others.size() && !taken; ++i) {
            taken = i != self && TextOrder::equalIgnoringCase(others[i].name, candidate);
        }
        if (!taken) {
            return candidate;
        }
    }
}

}  // namespace

void Library::merge(const QList<MediaItem>& scanned) {
    QList<qsizetype> oldForNew(scanned.size(), -1);
    QList<bool> oldMatched(items.size(), false);
    matchBy(pairKey, items, scanned, oldForNew, oldMatched);
    // A rescan of an unchanged tree finds every file by its name and identity; the identity pass
    // would only index every old item for nothing.
    if (oldForNew.contains(-1)) {
        matchBy(identityKey, items, scanned, oldForNew, oldMatched);
    }

    MediaItems merged;
    merged.reserve(scanned.size() + items.size());
    for (qsizetype n = 0; n < scanned.size(); ++n) {
        if (oldForNew[n] < 0) {
            merged.append(scanned[n]);
            continue;
        }
        MediaItem item = items.at(oldForNew[n]);
        const MediaItem& fresh = scanned[n];
        item.filename = fresh.filename;
        item.fileIdentity = fresh.fileIdentity;
        item.kind = fresh.kind;
        item.size = fresh.size;
        item.modified = fresh.modified;
        item.duration = fresh.duration;
        item.capturedAt = fresh.capturedAt;
        item.available = true;
        merged.append(std::move(item));
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!oldMatched[i]) {
            MediaItem gone = items.at(i);
            gone.available = false;
            merged.append(std::move(gone));
        }
    }
    items = std::move(merged);
}

void Library::enforceFixedRating(const std::optional<Category>& preferred) {
    Category rating;
    if (const auto own = ratingProperty()) {
        rating = *own;
    } else if (preferred && preferred->kind == PropertyKind::rating) {
        rating = *preferred;
    } else {
        rating = Category{
            QUuid::createUuid(), {}, PropertyKind::rating, {}, QStringLiteral("list.bullet")};
    }
    QList<Category> others = tagProperties();
    for (const Category& other : others) {
        if (other.id == rating.id) {
            rating.id = QUuid::createUuid();
            break;
        }
    }
    rating.name = QStringLiteral("별점");
    rating.options.clear();
    for (qsizetype i = 0; i < others.size(); ++i) {
        if (TextOrder::equalIgnoringCase(others[i].name, rating.name)) {
            others[i].name = freeRatingClashName(others, i);
        }
    }
    categories = QList<Category>{rating} + others;
}

QStringList Library::options(const Category& category) const {
    const QString key = category.idText();
    SmallTextSet seen;
    for (const QString& declared : category.options) {
        seen.insert(TextOrder::nfc(declared));
    }
    // A value met before in the very same form has its normal form seen already; most values of
    // a library repeat, and normalizing is the expensive part.
    SmallTextSet met;
    for (const QString& declared : category.options) {
        met.insert(declared);
    }
    QStringList undeclared;
    for (const MediaItem& item : items) {
        const auto values = item.labels.find(key);
        if (values == item.labels.end()) {
            continue;
        }
        for (const QString& value : values->second) {
            if (!met.insert(value)) {
                continue;
            }
            if (seen.insert(TextOrder::nfc(value))) {
                undeclared.append(value);
            }
        }
    }
    TextOrder::sortLocalizedStandard(undeclared);
    return category.options + undeclared;
}

}  // namespace lumivex
