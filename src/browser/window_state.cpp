#include "browser/window_state.h"

#include "browser/browser_settings.h"
#include "platform/lumivex_settings.h"

namespace lumivex {

WindowState::WindowState(UserDefaults& defaults, QObject* parent)
    : QObject(parent), settings_(new LumivexSettings(defaults, this)) {
    connect(settings_, &LumivexSettings::cardSizeChanged, this, &WindowState::cardSizeChanged);
}

template <typename T>
void WindowState::assign(T& field, const T& value) {
    if (field == value) {
        return;
    }
    field = value;
    Q_EMIT changed();
}

double WindowState::cardSize() const {
    return BrowserSettings::cardSize(*settings_);
}

void WindowState::openCategorySheet(const std::optional<Category>& category) {
    editingCategory_ = category;
    categorySheet_ = true;
    Q_EMIT changed();
}

void WindowState::setCategorySheet(bool shown) {
    assign(categorySheet_, shown);
}

void WindowState::setPropertyManager(bool shown) {
    assign(propertyManager_, shown);
}

void WindowState::setPreview(const std::optional<MediaItem>& item) {
    assign(preview_, item);
}

void WindowState::setPreviewColumns(int columns) {
    assign(previewColumns_, columns);
}

void WindowState::setCardSize(double size) {
    BrowserSettings::setCardSize(*settings_, size);
}

void WindowState::setShowInspector(bool shown) {
    assign(showInspector_, shown);
}

void WindowState::setSourceMenu(bool shown) {
    assign(sourceMenu_, shown);
}

void WindowState::setDurationSheet(bool shown) {
    assign(durationSheet_, shown);
}

void WindowState::setUtilityPanel(const std::optional<LumivexUtilityPanel>& panel) {
    assign(utilityPanel_, panel);
}

bool WindowState::modalSurfaceShown() const {
    return preview_ || propertyManager_ || categorySheet_ || durationSheet_ || utilityPanel_;
}

}  // namespace lumivex
