#include "app/lumivex_app.h"

#include "app/allocator_options.h"
#include "app/app_commands.h"
#include "app/app_delegate.h"
#include "app/lumivex_edit_commands.h"
#include "app/lumivex_media_commands.h"
#include "app/lumivex_update_controller.h"
#include "app/lumivex_update_view.h"
#include "app/main_window_geometry.h"
#include "app/menu_focus_return.h"
#include "app/qt_translations.h"
#include "browser/browser_icons.h"
#include "browser/header_toolbar.h"
#include "browser/lumivex_view.h"
#include "media_views/lumivex_style.h"
#include "media_views/window_placement.h"
#include "panels/lumivex_settings_view.h"
#include "platform/app_brand.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMainWindow>
#include <QMenuBar>
#include <QThreadPool>

namespace lumivex {

void LumivexApp::setUpProcess(QApplication& app) {
    LumivexStyle::install(&BrowserIcons::paint);
    QtTranslations::install(app);
    QGuiApplication::setDesktopFileName(QStringLiteral("lumivex"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("lumivex")));
}

LumivexApp::LumivexApp(LumivexStore& store, LumivexView& view, LumivexUpdateController& updates,
                       UserDefaults& defaults, QObject* parent)
    : QObject(parent),
      store_(store),
      view_(view),
      updates_(updates),
      window_(std::make_unique<QMainWindow>()),
      delegate_(new AppDelegate(updates, store, this)) {
    updates_.setMainWindow(window_.get());
    window_->installEventFilter(this);
    window_->setWindowTitle(AppBrand::name());
    window_->setCentralWidget(&view_);
    buildMenus();
    (new MainWindowGeometry(*window_, defaults, this))->restore();
    // The moments the application settles: what it freed on the way (the open's and the scan's
    // temporaries, a save's buffers) goes back to the system now rather than a quarter second
    // later. On the pool, behind the tasks the store gave it to free the replaced library and
    // views, and off the main thread: after an open the purge takes tens of milliseconds.
    for (auto signal : {&LumivexStore::derivedViewsReady, &LumivexStore::lastSavedChanged}) {
        connect(&store_, signal, this,
                [] { QThreadPool::globalInstance()->start(&AllocatorOptions::releaseFreedPages); });
    }
}

// The view belongs to whoever made it: it leaves the window before the window goes.
LumivexApp::~LumivexApp() {
    window_->takeCentralWidget();
    view_.setParent(nullptr);
}

void LumivexApp::buildMenus() {
    QMenuBar& bar = *window_->menuBar();
    commands_ = new AppCommands(store_, updates_,
                                {[this] { showSettings(); }, [this] { view_.requestShortcuts(); },
                                 [this] { delegate_->quit(); }},
                                bar, this);
    const LumivexEditCommands::FocusedMetadata metadata = [this] { return focusedMetadata(); };
    edit_ = new LumivexEditCommands(metadata, *bar.addMenu(QStringLiteral("편집")), this);
    media_ = new LumivexMediaCommands(
        store_, metadata, [this] { view_.requestPreview(); },
        *bar.addMenu(QStringLiteral("미디어")), this);
    commands_->addHelpMenu(bar);
    new MenuFocusReturn(bar);
    // The window's own state decides whether it offers metadata actions.
    const auto sync = [this] {
        edit_->sync();
        media_->sync();
    };
    connect(&view_.state(), &WindowState::changed, this, sync);
    for (auto signal : {&LumivexStore::metadataHistoryChanged, &LumivexStore::scanningChanged,
                        &LumivexStore::lockedChanged, &LumivexStore::deletingChanged,
                        &LumivexStore::deletionRequestChanged, &LumivexStore::errorChanged,
                        &LumivexStore::showPhotosSetupChanged, &LumivexStore::sourceChanged}) {
        connect(&store_, signal, this, sync);
    }
}

std::optional<MetadataEditingActions> LumivexApp::focusedMetadata() const {
    if (QApplication::activeWindow() != window_.get()) {
        return std::nullopt;
    }
    return view_.metadataEditingActions();
}

void LumivexApp::setSettingsWindow(std::unique_ptr<LumivexSettingsView> settings) {
    settings_ = std::move(settings);
    settings_->addUpdatePage(new LumivexUpdateView(updates_));
    connect(view_.header(), &HeaderToolbar::settingsRequested, this, &LumivexApp::showSettings,
            Qt::UniqueConnection);
}

void LumivexApp::showSettings() {
    if (!settings_) {
        return;
    }
    if (!settings_->isVisible()) {
        // Centred the first time only; afterwards it opens where it was left.
        if (!settings_->testAttribute(Qt::WA_Moved)) {
            WindowPlacement::centreOnWindow(*settings_, *window_);
        }
        WindowPlacement::keepAbove(*settings_, window_.get());
    }
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

bool LumivexApp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.get() && event->type() == QEvent::Close) {
        releaseSecondaryWindows();
    }
    return QObject::eventFilter(watched, event);
}

// A window left open when the main window closes keeps the process running until it closes too,
// which only a window of its own does.
void LumivexApp::releaseSecondaryWindows() {
    for (QWidget* window : {static_cast<QWidget*>(settings_.get()), updates_.updateWindow()}) {
        if (window != nullptr && window->isVisible()) {
            WindowPlacement::keepAbove(*window, nullptr);
        }
    }
}

void LumivexApp::launch() {
    delegate_->launch(*window_);
}

}  // namespace lumivex
