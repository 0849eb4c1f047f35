#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace lumivex {

// Space and Return on a control reached by Tab act as a click on it. The key is claimed before
// any shortcut sees it: Space is the window's preview key, and a control the keyboard stands on
// must not open the preview instead. Lives as a child of the control. Main thread.
class KeyActivation final : public QObject {
    Q_OBJECT

public:
    KeyActivation(QWidget& target, std::function<void()> activate);

    // Makes a button take the focus from Tab (never from a click, which leaves the keyboard
    // where it was) and answer Space and Return.
    static void reachByTab(QWidget& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> activate_;
};

}  // namespace lumivex
