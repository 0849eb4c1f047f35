#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

namespace lumivex {

// The header row of a utility panel: its symbol, its title and, at the trailing edge whatever the
// title's length, a close button that Escape presses too. Main thread.
class UtilityPanelHeader final : public QWidget {
public:
    UtilityPanelHeader(const QString& title, const QString& symbol, std::function<void()> onClose,
                       QWidget* parent = nullptr);

    QPushButton* closeButton() const { return close_; }

private:
    QPushButton* close_;
};

}  // namespace lumivex
