#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace lumivex {

class LumivexUpdateController;

// The application's answers to its own life: the launch step once the main window has painted
// (old converted videos are cleaned, the window is raised and activated, an automatic update
// check is asked for), another automatic check each time the application becomes active, and
// the end of the process when its last window closes. Main thread.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    // `updates` must outlive the delegate.
    explicit AppDelegate(LumivexUpdateController& updates, QObject* parent = nullptr);

    // Shows `window` and runs the launch step after its first paint, so nothing the step starts
    // delays that paint.
    void launch(QWidget& window);

Q_SIGNALS:
    void launched();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applicationDidFinishLaunching();

    LumivexUpdateController& updates_;
    QPointer<QWidget> window_;
    bool finishedLaunching_ = false;
};

}  // namespace lumivex
