#pragma once

#include <QObject>

class QWidget;

namespace lumivex {

class LumivexSettings;
class UserDefaults;

// Keeps the main window's place across launches, which no one on the desktop does for it: its
// normal geometry and whether it was maximised are stored when it closes, whatever closes it
// (the quit command and a termination signal close every window first), and given back before
// it first shows, wholly on the screens there are now. Once the window manager has framed the
// window, the frame too is brought onto the screen. Main thread.
class MainWindowGeometry final : public QObject {
    Q_OBJECT

public:
    // `window` and `defaults` must outlive this object.
    MainWindowGeometry(QWidget& window, UserDefaults& defaults, QObject* parent = nullptr);

    // Places the window where it last closed, else at its preferred size; before it shows.
    void restore();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void store();
    void fitFrame();

    QWidget& window_;
    LumivexSettings* settings_;
    bool framed_ = false;
};

}  // namespace lumivex
