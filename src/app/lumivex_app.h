#pragma once

#include "browser/metadata_editing_actions.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class QApplication;
class QMainWindow;
class QWidget;

namespace lumivex {

class AppCommands;
class AppDelegate;
class LumivexEditCommands;
class LumivexMediaCommands;
class LumivexSettingsView;
class LumivexStore;
class LumivexUpdateController;
class LumivexView;
class MainWindowGeometry;
class UserDefaults;

// The application as a whole: the one main window around the window's content, with its menus
// (the application menu, File, Edit, "미디어", Help), the settings window and the delegate. It
// decides which window the menus act on: the metadata actions exist only while the main window
// is the active window and offers them. Main thread.
class LumivexApp final : public QObject {
    Q_OBJECT

public:
    // The process-wide look and texts: the style, Qt's Korean texts, the desktop entry and the
    // icon. No application display name: the window system would append it to every title.
    static void setUpProcess(QApplication& app);

    // Every argument must outlive the application object; `view` becomes the main window's
    // content until then. `defaults` keep the main window's place across launches.
    LumivexApp(LumivexStore& store, LumivexView& view, LumivexUpdateController& updates,
               UserDefaults& defaults, QObject* parent = nullptr);
    ~LumivexApp() override;

    QMainWindow& mainWindow() const { return *window_; }
    AppCommands& commands() const { return *commands_; }
    LumivexEditCommands& editCommands() const { return *edit_; }
    LumivexMediaCommands& mediaCommands() const { return *media_; }
    AppDelegate& delegate() const { return *delegate_; }

    // The settings window, which gains the update page; shown by "설정…" and the window's
    // settings button above the main window, centred on it the first time.
    void setSettingsWindow(std::unique_ptr<LumivexSettingsView> settings);
    LumivexSettingsView* settingsWindow() const { return settings_.get(); }
    void showSettings();

    // Shows the main window; the launch step follows its first paint.
    void launch();
    // The metadata actions of the main window while it is active, else nothing.
    std::optional<MetadataEditingActions> focusedMetadata() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void releaseSecondaryWindows();

    LumivexStore& store_;
    LumivexView& view_;
    LumivexUpdateController& updates_;
    std::unique_ptr<QMainWindow> window_;
    std::unique_ptr<LumivexSettingsView> settings_;
    AppDelegate* delegate_ = nullptr;
    AppCommands* commands_ = nullptr;
    LumivexEditCommands* edit_ = nullptr;
    LumivexMediaCommands* media_ = nullptr;
};

}  // namespace lumivex
