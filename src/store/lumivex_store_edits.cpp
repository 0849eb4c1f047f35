#include "catalog/folder_catalog.h"
#include "catalog/library_state.h"
#include "platform/text_order.h"
#include "store/lumivex_store.h"

namespace lumivex {

namespace {

const QString ratingTitle = QStringLiteral("별점 변경");

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

}  // namespace

LibraryState LumivexStore::editedState(Library library) const {
    DeletedArchive archive = deletedArchive_.aligned(library.categories);
    return LibraryState{std::move(library), std::move(archive)};
}

void LumivexStore::updateSelected(const QString& actionName,
                                  const std::function<void(MediaItem&)>& change) {
    if (selection_.isEmpty()) {
        return;
    }
    Library edited = library_;
    // One card selected, as when culling: a browse snapshot already built over every item, whose
    // table of positions then holds each identifier once, says where it is, and that place is
    // checked against the library; otherwise comparing identifiers costs less than hashing each.
    const std::optional<QUuid> only =
        selection_.size() == 1 ? std::optional<QUuid>(*selection_.cbegin()) : std::nullopt;
    const bool indexed = browseCache_ && browseCache_->positions.size() == edited.items.size();
    const qsizetype hint = only && indexed ? browseCache_->positions.value(*only, -1) : -1;
    const bool placed =
        hint >= 0 && hint < edited.items.size() && edited.items.at(hint).id == *only;
    if (placed) {
        MediaItem item = edited.items.at(hint);
        change(item);
        if (item != edited.items.at(hint)) {
            edited.items[hint] = std::move(item);
        }
    }
    for (qsizetype i = 0; !placed && i < edited.items.size(); ++i) {
        const QUuid& id = edited.items.at(i).id;
        if (only ? id != *only : !selection_.contains(id)) {
            continue;
        }
        MediaItem item = edited.items.at(i);
        change(item);
        if (item != edited.items.at(i)) {
            edited.items[i] = std::move(item);
        }
    }
    if (edited == library_) {
        return;
    }
    commit(editedState(std::move(edited)), std::nullopt, actionName);
}

bool LumivexStore::setRating(int rating, const QUuid& itemID) {
    if (!editingAllowed() || !library_.ratingProperty() || rating < 0 || rating > 5) {
        return false;
    }
    const auto found =
        std::find_if(library_.items.cbegin(), library_.items.cend(),
                     [&](const MediaItem& item) { return item.id == itemID && item.available; });
    if (found == library_.items.cend()) {
        return false;
    }
    if (found->rating == rating) {
        return true;
    }
    Library edited = library_;
    edited.items[found - library_.items.cbegin()].rating = rating;
    return commit(editedState(std::move(edited)), std::nullopt, ratingTitle);
}

void LumivexStore::addLabel(const QString& value, const Category& category) {
    QString text = TextOrder::trimmed(value);
    if (hasLineBreak(text)) {
        setError(QStringLiteral("옵션 이름은 한 줄로 입력해주세요."));
        return;
    }
    const bool known = std::any_of(library_.categories.cbegin(), library_.categories.cend(),
                                   [&](const Category& c) { return c.id == category.id; });
    if (text.isEmpty() || selection_.isEmpty() || category.kind == PropertyKind::rating || !known) {
        return;
    }
    for (const QString& option : propertyOptions(category)) {
        if (TextOrder::equalIgnoringCase(option, text)) {
            text = option;
            break;
        }
    }
    Library edited = FolderCatalog::applyingLabel(text, selection_, category, library_);
    if (edited == library_) {
        return;
    }
    commit(editedState(std::move(edited)), std::nullopt, QStringLiteral("분류 정보 변경"));
}

void LumivexStore::removeLabel(const QString& value, const Category& category) {
    const QString key = category.idText();
    updateSelected(category.name + QStringLiteral(" 변경"), [&](MediaItem& item) {
        if (!item.labels.contains(key) || !item.labels.at(key).contains(value)) {
            return;
        }
        QStringList values = item.labels.at(key);
        values.removeAll(value);
        item.labels.insert_or_assign(key, values);
    });
}

void LumivexStore::clearLabels(const Category& category) {
    const QString key = category.idText();
    updateSelected(category.name + QStringLiteral(" 변경"),
                   [&](MediaItem& item) { item.labels.erase(key); });
}

void LumivexStore::setNotes(const QString& notes, const QUuid& itemID) {
    const auto found = std::find_if(library_.items.cbegin(), library_.items.cend(),
                                    [&](const MediaItem& item) { return item.id == itemID; });
    if (found == library_.items.cend() || found->notes == notes) {
        return;
    }
    Library edited = library_;
    edited.items[found - library_.items.cbegin()].notes = notes;
    commit(editedState(std::move(edited)), std::nullopt, QStringLiteral("메모 변경"));
}

}  // namespace lumivex
