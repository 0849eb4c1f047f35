#pragma once

#include "model/library.h"

#include <QObject>

#include <optional>

namespace lumivex {

class LumivexSettings;
class UserDefaults;

// Which utility panel floats over the main window as a sheet.
enum class LumivexUtilityPanel { deleted, shortcuts };

// The main window's own state: which sheet, panel or overlay is open, the previewed item, the
// grid's column count, the card size and whether the inspector is shown. It starts at its
// defaults with every window and is never saved, except the card size, which lives in the user
// defaults. Regions read it and set it; `changed` tells them to redraw. Main thread.
class WindowState : public QObject {
    Q_OBJECT

public:
    // `defaults` must outlive the state.
    explicit WindowState(UserDefaults& defaults, QObject* parent = nullptr);

    bool categorySheet() const { return categorySheet_; }
    const std::optional<Category>& editingCategory() const { return editingCategory_; }
    bool propertyManager() const { return propertyManager_; }
    const std::optional<MediaItem>& preview() const { return preview_; }
    int previewColumns() const { return previewColumns_; }
    // The stored card width, kept within the footer slider's range.
    double cardSize() const;
    bool showInspector() const { return showInspector_; }
    bool sourceMenu() const { return sourceMenu_; }
    bool durationSheet() const { return durationSheet_; }
    const std::optional<LumivexUtilityPanel>& utilityPanel() const { return utilityPanel_; }

    // Opens the property sheet on `category`, or on a new property when there is none.
    void openCategorySheet(const std::optional<Category>& category);
    void setCategorySheet(bool shown);
    void setPropertyManager(bool shown);
    void setPreview(const std::optional<MediaItem>& item);
    void setPreviewColumns(int columns);
    void setCardSize(double size);
    void setShowInspector(bool shown);
    void setSourceMenu(bool shown);
    void setDurationSheet(bool shown);
    void setUtilityPanel(const std::optional<LumivexUtilityPanel>& panel);

    // A sheet, a panel, the preview or the property manager is up.
    bool modalSurfaceShown() const;

Q_SIGNALS:
    void changed();
    void cardSizeChanged();

private:
    template <typename T>
    void assign(T& field, const T& value);

    LumivexSettings* settings_;
    bool categorySheet_ = false;
    std::optional<Category> editingCategory_;
    bool propertyManager_ = false;
    std::optional<MediaItem> preview_;
    int previewColumns_ = 1;
    bool showInspector_ = true;
    bool sourceMenu_ = false;
    bool durationSheet_ = false;
    std::optional<LumivexUtilityPanel> utilityPanel_;
};

}  // namespace lumivex
