#include "catalog/folder_catalog.h"

#include "platform/text_order.h"

#include <algorithm>

namespace lumivex::FolderCatalog {

namespace {

bool holdsID(const QList<Category>& list, const QUuid& id) {
    return std::any_of(list.cbegin(), list.cend(),
                       [&](const Category& category) { return category.id == id; });
}

qsizetype displayFor(const Category& property, const QList<Category>& merged,
                     const QSet<QUuid>& claimed) {
    for (qsizetype i = 0; i < merged.size(); ++i) {
        const Category& display = merged[i];
        if (property.kind == PropertyKind::rating) {
            if (display.kind == PropertyKind::rating) {
                return i;
            }
        } else if (display.kind != PropertyKind::rating && !claimed.contains(display.id) &&
                   TextOrder::equalIgnoringCase(display.name, property.name)) {
            return i;
        }
    }
    return -1;
}

// A new display property: the folder's own, taking back the identifier a previous load gave
// the same name when that identifier is still free.
Category newDisplay(const Category& property, const QList<Category>& merged,
                    const QList<Category>& preferred) {
    Category copy = property;
    const auto same = std::find_if(preferred.cbegin(), preferred.cend(), [&](const Category& p) {
        return TextOrder::equalIgnoringCase(p.name, property.name);
    });
    if (same != preferred.cend() && !holdsID(merged, same->id)) {
        copy.id = same->id;
    }
    if (holdsID(merged, copy.id)) {
        copy.id = QUuid::createUuid();
    }
    return copy;
}

// The forms of merged[index], brought up to the options appended since they were last looked at.
MergedOptionForms::Entry& formsOf(MergedOptionForms& forms, const Category& display,
                                  qsizetype index) {
    if (qsizetype(forms.entries.size()) <= index) {
        forms.entries.resize(std::size_t(index) + 1);
    }
    MergedOptionForms::Entry& entry = forms.entries[std::size_t(index)];
    for (; entry.counted < display.options.size(); ++entry.counted) {
        entry.forms.insert(TextOrder::nfc(display.options[entry.counted]));
    }
    return entry;
}

}  // namespace

void normalize(LibraryState& state) {
    std::optional<Category> preferredRating;
    for (const Category& category : std::as_const(state.deleted.categories)) {
        if (category.kind == PropertyKind::rating) {
            preferredRating = category;
            break;
        }
    }
    state.library.enforceFixedRating(preferredRating);
    state.deleted = state.deleted.aligned(state.library.categories);
}

std::map<QString, QString> mergeCategories(const Library& library, QList<Category>& merged,
                                           const QList<Category>& preferred,
                                           MergedOptionForms& forms) {
    std::map<QString, QString> mapping;
    QSet<QUuid> claimed;
    for (const Category& property : library.categories) {
        qsizetype index = displayFor(property, merged, claimed);
        if (index < 0) {
            merged.append(newDisplay(property, merged, preferred));
            index = merged.size() - 1;
        }
        Category& display = merged[index];
        if (property.kind == PropertyKind::multiSelect) {
            display.kind = PropertyKind::multiSelect;
        }
        claimed.insert(display.id);
        mapping[property.idText()] = display.idText();
        MergedOptionForms::Entry& held = formsOf(forms, display, index);
        for (const QString& option : library.options(property)) {
            if (held.forms.insert(TextOrder::nfc(option))) {
                display.options.append(option);
                ++held.counted;
            }
        }
    }
    return mapping;
}

std::map<QString, QString> mergeCategories(const Library& library, QList<Category>& merged,
                                           const QList<Category>& preferred) {
    MergedOptionForms forms;
    return mergeCategories(library, merged, preferred, forms);
}

}  // namespace lumivex::FolderCatalog
