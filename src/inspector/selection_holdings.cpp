#include "inspector/selection_holdings.h"

#include "store/lumivex_store.h"

namespace lumivex {

// The selected items are immutable shared chunks: the same chunks hold the same items.
PropertyOptionPickerModel::Holdings SelectionHoldings::of(const QString& key) {
    const MediaItems& selected = store_.selectedItems();
    if (!valid_ || !selected.sharesAllItemsWith(counted_)) {
        counted_ = selected;
        byKey_ = PropertyOptionPickerModel::holdings(selected);
        valid_ = true;
    }
    return byKey_.value(key, {{}, static_cast<int>(selected.size()), false});
}

void SelectionHoldings::release() {
    counted_ = MediaItems();
    byKey_.clear();
    valid_ = false;
}

}  // namespace lumivex
