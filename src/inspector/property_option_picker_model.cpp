#include "inspector/property_option_picker_model.h"

#include "model/media_items.h"
#include "model/property_options.h"
#include "platform/parallel_work.h"
#include "platform/text_order.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace lumivex {

const QString PropertyOptionPickerModel::createRow = QStringLiteral("create");

namespace {

const QString optionPrefix = QStringLiteral("option:");

}  // namespace

QString PropertyOptionPickerModel::optionRow(const QString& option) {
    return optionPrefix + option;
}

namespace {

// Values are counted by where their text is stored: the library keeps one copy of each distinct
// text, so equal values mostly share it and are counted without reading their characters; the
// few copies of one text are added up by text at the end.
struct Stored {
    QString value;
    int count = 0;
};
using StorageKey = std::pair<const QChar*, qsizetype>;
struct Counting {
    bool anyValue = false;
    QHash<StorageKey, Stored> byStorage;
};
// The counts of some of the selected items. The items carry few property keys: a key is looked
// for among those met so far rather than hashed for every item.
struct Part {
    QStringList keys;
    QList<Counting> held;

    Counting& of(const QString& key) {
        qsizetype index = keys.indexOf(key);
        if (index < 0) {
            index = keys.size();
            keys.append(key);
            held.append(Counting{});
        }
        return held[index];
    }
};

void countRange(const MediaItems& selected, qsizetype from, qsizetype to, Part& part) {
    for (qsizetype i = from; i < to; ++i) {
        for (const auto& [key, values] : selected.at(i).labels) {
            Counting& property = part.of(key);
            property.anyValue = property.anyValue || !values.isEmpty();
            for (auto value = values.begin(); value != values.end(); ++value) {
                // A value listed twice on one item still counts that item once.
                if (std::find(values.begin(), value, *value) != value) {
                    continue;
                }
                Stored& stored = property.byStorage[{value->constData(), value->size()}];
                if (stored.count++ == 0) {
                    stored.value = *value;
                }
            }
        }
    }
}

void merge(Part& into, const Part& part) {
    for (qsizetype i = 0; i < part.keys.size(); ++i) {
        Counting& property = into.of(part.keys[i]);
        property.anyValue = property.anyValue || part.held[i].anyValue;
        for (auto stored = part.held[i].byStorage.cbegin(); stored != part.held[i].byStorage.cend();
             ++stored) {
            Stored& merged = property.byStorage[stored.key()];
            if (merged.count == 0) {
                merged.value = stored->value;
            }
            merged.count += stored->count;
        }
    }
}

// Items counted by one thread: a large selection is counted in parts side by side.
constexpr qsizetype partSize = 1024;

}  // namespace

QHash<QString, PropertyOptionPickerModel::Holdings> PropertyOptionPickerModel::holdings(
    const MediaItems& selected) {
    const qsizetype n = selected.size();
    std::vector<Part> parts(static_cast<std::size_t>((n + partSize - 1) / partSize));
    ParallelWork::forEach(parts.size(), [&](std::size_t index) {
        const auto from = static_cast<qsizetype>(index) * partSize;
        countRange(selected, from, std::min(n, from + partSize), parts[index]);
        return true;
    });
    Part all = parts.empty() ? Part{} : std::move(parts.front());
    for (std::size_t i = 1; i < parts.size(); ++i) {
        merge(all, parts[i]);
    }
    const int total = static_cast<int>(n);
    QHash<QString, Holdings> result;
    for (qsizetype i = 0; i < all.keys.size(); ++i) {
        Holdings holdings{{}, total, all.held[i].anyValue};
        holdings.counts.reserve(all.held[i].byStorage.size());
        for (const Stored& stored : std::as_const(all.held[i].byStorage)) {
            holdings.counts[stored.value] += stored.count;
        }
        result.insert(all.keys[i], std::move(holdings));
    }
    return result;
}

void PropertyOptionPickerModel::setOptions(const QStringList& options, bool keepShownOrder) {
    QStringList ordered = keepShownOrder ? inShownOrder(options) : options;
    if (ordered == options_) {
        return;
    }
    options_ = std::move(ordered);
    matches_ = PropertyOptions::filtered(options_, search_);
}

// The shown options that remain fill the places the store gives them, in the order shown.
QStringList PropertyOptionPickerModel::inShownOrder(const QStringList& options) const {
    const QSet<QString> offered(options.cbegin(), options.cend());
    QStringList shown = options_;
    shown.removeIf([&offered](const QString& option) { return !offered.contains(option); });
    const QSet<QString> kept(shown.cbegin(), shown.cend());
    QStringList ordered = options;
    qsizetype next = 0;
    for (QString& option : ordered) {
        if (kept.contains(option)) {
            option = shown[next++];
        }
    }
    return ordered;
}

void PropertyOptionPickerModel::setSearch(const QString& search) {
    if (search != search_) {
        search_ = search;
        matches_ = PropertyOptions::filtered(options_, search_);
    }
    highlighted_.reset();
}

QString PropertyOptionPickerModel::createText() const {
    return TextOrder::trimmed(search_);
}

void PropertyOptionPickerModel::reset() {
    setSearch(QString());
}

bool PropertyOptionPickerModel::canCreate() const {
    const QString text = createText();
    return !text.isEmpty() && !PropertyOptions::exact(options_, text);
}

QStringList PropertyOptionPickerModel::rowIDs() const {
    QStringList rows;
    rows.reserve(matches_.size() + 1);
    for (const QString& option : matches_) {
        rows.append(optionRow(option));
    }
    if (canCreate()) {
        rows.append(createRow);
    }
    return rows;
}

QList<std::pair<QString, int>> PropertyOptionPickerModel::selectedLabels() const {
    QList<std::pair<QString, int>> held;
    for (const QString& option : options_) {
        if (const int count = holdings_.counts.value(option); count > 0) {
            held.append({option, count});
        }
    }
    return held;
}

void PropertyOptionPickerModel::moveHighlight(int offset) {
    const QStringList rows = rowIDs();
    const auto n = rows.size();
    if (n == 0) {
        return;
    }
    const qsizetype at = highlighted_ ? rows.indexOf(*highlighted_) : -1;
    qsizetype next = 0;
    if (at >= 0) {
        next = ((at + offset) % n + n) % n;
    } else {
        next = offset > 0 ? 0 : n - 1;
    }
    highlighted_ = rows[next];
}

PropertyOptionPickerModel::Action PropertyOptionPickerModel::submit() const {
    if (highlighted_ && highlighted_->startsWith(optionPrefix)) {
        return {Action::Kind::apply, highlighted_->mid(optionPrefix.size())};
    }
    const QString text = createText();
    if (text.isEmpty()) {
        if (matches_.isEmpty()) {
            return {};
        }
        return {Action::Kind::apply, matches_.first()};
    }
    return {Action::Kind::apply, PropertyOptions::exact(options_, text).value_or(text)};
}

PropertyOptionPickerModel::Action PropertyOptionPickerModel::tap(const QString& option,
                                                                 PropertyKind kind) const {
    if (kind == PropertyKind::multiSelect && holdings_.total > 0 &&
        count(option) == holdings_.total) {
        return {Action::Kind::remove, option};
    }
    return {Action::Kind::apply, option};
}

std::optional<PropertyOptionPickerModel::Move> PropertyOptionPickerModel::dropAt(
    qsizetype gap) const {
    if (!dragged_ || matches_.isEmpty()) {
        return std::nullopt;
    }
    gap = std::clamp<qsizetype>(gap, 0, matches_.size());
    const qsizetype from = matches_.indexOf(*dragged_);
    if (from >= 0 && (gap == from || gap == from + 1)) {
        return std::nullopt;
    }
    if (gap < matches_.size()) {
        return Move{*dragged_, matches_[gap]};
    }
    // After the last match, which a search may leave short of the last option: before the
    // option that follows that match in the full order.
    for (qsizetype i = options_.indexOf(matches_.last()) + 1; i < options_.size(); ++i) {
        if (options_[i] != *dragged_) {
            return Move{*dragged_, options_[i]};
        }
    }
    return Move{*dragged_, std::nullopt};
}

int PropertyOptionPickerModel::listHeight(qsizetype rows) {
    return static_cast<int>(std::clamp<qsizetype>(rows * 38 + 12, 48, 280));
}

}  // namespace lumivex
