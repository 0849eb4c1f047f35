#include "model/library.h"

#include "model/merge_matching.h"
#include "platform/small_text_set.h"
#include "platform/text_order.h"

#include <bit>
#include <cstdint>
#include <optional>

namespace lumivex {

namespace {

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool sameBits(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || sameBits(*a, *b));
}

bool sameBits(const std::optional<Date>& a, const std::optional<Date>& b) {
    return a.has_value() == b.has_value() &&
           (!a || sameBits(a->secondsSince1970, b->secondsSince1970));
}

bool sameText(const QString& a, const QString& b) {
    return a.isNull() == b.isNull() && a == b;
}

// Whether the old item, continued by the scanned one, stays exactly as it is.
bool continuesUnchanged(const MediaItem& old, const MediaItem& fresh) {
    return old.available && sameText(old.filename, fresh.filename) &&
           sameText(old.fileIdentity, fresh.fileIdentity) && old.kind == fresh.kind &&
           old.size == fresh.size &&
           sameBits(old.modified.secondsSince1970, fresh.modified.secondsSince1970) &&
           sameBits(old.duration, fresh.duration) && sameBits(old.capturedAt, fresh.capturedAt);
}

MediaItem continued(MediaItem item, const MediaItem& fresh) {
    item.filename = fresh.filename;
    item.fileIdentity = fresh.fileIdentity;
    item.kind = fresh.kind;
    item.size = fresh.size;
    item.modified = fresh.modified;
    item.duration = fresh.duration;
    item.capturedAt = fresh.capturedAt;
    item.available = true;
    return item;
}

// How many scanned items from `n` on continue consecutive old items that stay as they are.
qsizetype unchangedRun(const MergeMatching::Matches& matches, const MediaItems& old,
                       const QList<MediaItem>& scanned, qsizetype n) {
    const qsizetype first = matches.oldForNew[static_cast<std::size_t>(n)];
    qsizetype length = 0;
    while (n + length < scanned.size() && first >= 0 &&
           matches.oldForNew[static_cast<std::size_t>(n + length)] == first + length &&
           continuesUnchanged(old.at(first + length), scanned[n + length])) {
        ++length;
    }
    return length;
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
    const MergeMatching::Matches matches = MergeMatching::match(items, scanned);
    // Old items that stay as they are are shared, whole chunks at a time where the scan lists
    // them in the same places, so an unchanged rescan neither copies nor allocates items.
    MediaItems merged;
    merged.reserve(scanned.size() + items.size());
    for (qsizetype n = 0; n < scanned.size();) {
        const qsizetype run = unchangedRun(matches, items, scanned, n);
        if (run > 0) {
            merged.append(items, matches.oldForNew[static_cast<std::size_t>(n)], run);
            n += run;
            continue;
        }
        const qsizetype old = matches.oldForNew[static_cast<std::size_t>(n)];
        merged.append(old < 0 ? scanned[n] : continued(items.at(old), scanned[n]));
        ++n;
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!matches.taken[static_cast<std::size_t>(i)]) {
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
    // A value met before in the very same form has its normal form seen already; most values of
    // a library repeat, and normalizing is the expensive part. The normal forms of the options
    // are wanted only once a value is met that is not an option as it stands.
    SmallTextSet met;
    for (const QString& declared : category.options) {
        met.insert(declared);
    }
    std::optional<SmallTextSet> seen;
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
            if (!seen) {
                seen.emplace();
                for (const QString& declared : category.options) {
                    seen->insert(TextOrder::nfc(declared));
                }
            }
            if (seen->insert(TextOrder::nfc(value))) {
                undeclared.append(value);
            }
        }
    }
    TextOrder::sortLocalizedStandard(undeclared);
    return category.options + undeclared;
}

}  // namespace lumivex
