#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace lumivex {

class LumivexStore;
class LumivexUpdateController;

// The application's answers to its own life: the launch step once the main window has painted
// (old converted videos are cleaned, the window is raised and activated, an automatic update
// check is asked for), another automatic check each time the application becomes active, and
// the end of the process when its last window closes. Whatever ends the application (the quit
// command, the last window, the desktop session, a termination signal), the edits still being
// written are stored first. Main thread.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    // `updates` and `store` must outlive the delegate.
    AppDelegate(LumivexUpdateController& updates, LumivexStore& store, QObject* parent = nullptr);

    // Shows `window` and runs the launch step after its first paint, so nothing the step starts
    // delays that paint.
    void launch(QWidget& window);
    // Closes every window, stores the pending edits and ends the event loop.
    void quit();

Q_SIGNALS:
    void launched();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applicationDidFinishLaunching();

    LumivexUpdateController& updates_;
    LumivexStore& store_;
    QPointer<QWidget> window_;
    bool finishedLaunching_ = false;
};

}  // namespace lumivex
