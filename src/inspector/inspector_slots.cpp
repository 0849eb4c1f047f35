#include "inspector/inspector_slots.h"

#include "browser/lumivex_view.h"
#include "browser/modal_overlay.h"
#include "browser/sheet_slot.h"
#include "inspector/category_sheet.h"
#include "inspector/inspector_view.h"
#include "inspector/property_manager_sheet.h"

#include <QVBoxLayout>

namespace lumivex::InspectorSlots {

void install(LumivexView& window, LumivexStore& store, MediaThumbnail::Services thumbnails) {
    WindowState& state = window.state();
    QWidget* column = window.inspectorSlot();
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new InspectorView(
        {store, state, thumbnails, [&state] { state.setPropertyManager(true); }}, column));
    window.propertyManagerOverlay()->setContent(
        new PropertyManagerSheet(store, state, [&state] { state.setPropertyManager(false); }));
    window.categorySheet()->setDialogFactory([&store, &state](QWidget* parent) -> QDialog* {
        return new CategorySheet(store, state.editingCategory(), parent);
    });
}

}  // namespace lumivex::InspectorSlots
