#pragma once

#include <functional>
#include <optional>

class QEvent;
class QKeyEvent;

namespace lumivex {

// For an application event filter that acts on keys: menu shortcuts match on ShortcutOverride,
// before the key press, so a key is acted on when its override arrives, the override is accepted
// so that no shortcut takes it, and the press of that key that follows is swallowed. Main thread.
class ShortcutOverrideClaim final {
public:
    using KeyHandler = std::function<bool(const QKeyEvent&)>;

    // `event` is a ShortcutOverride or a KeyPress. Returns whether the filter consumes it:
    // either `handle` acted on the key, or it is the press of a key already acted on.
    bool filter(QEvent& event, const KeyHandler& handle);
    void reset() { claimedKey_.reset(); }

private:
    std::optional<int> claimedKey_;
};

}  // namespace lumivex
