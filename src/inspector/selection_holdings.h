#pragma once

#include "inspector/property_option_picker_model.h"
#include "model/media_items.h"

#include <QHash>
#include <QString>

namespace lumivex {

class LumivexStore;

// How the selected items hold every property's values, counted in one pass over the selection
// and kept while the store gives the very same selected items, so that a picker's counts are a
// lookup and not a pass of its own over thousands of items. Shared by the inspector's pickers;
// the inspector releases it after each redraw. Main thread.
class SelectionHoldings {
public:
    explicit SelectionHoldings(LumivexStore& store) : store_(store) {}

    PropertyOptionPickerModel::Holdings of(const QString& key);
    // Lets the counted items go, so that a hidden inspector keeps no old library alive.
    void release();

private:
    LumivexStore& store_;
    MediaItems counted_;
    bool valid_ = false;
    QHash<QString, PropertyOptionPickerModel::Holdings> byKey_;
};

}  // namespace lumivex
