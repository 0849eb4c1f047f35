#include "media_views/shortcut_override_claim.h"

#include <QKeyEvent>

namespace lumivex {

bool ShortcutOverrideClaim::filter(QEvent& event, const KeyHandler& handle) {
    const auto& key = static_cast<const QKeyEvent&>(event);
    const bool press = event.type() == QEvent::KeyPress;
    if (press && claimedKey_ == key.key()) {
        claimedKey_.reset();
        return true;
    }
    claimedKey_.reset();
    if (!handle(key)) {
        return false;
    }
    if (!press) {
        event.accept();
        claimedKey_ = key.key();
    }
    return true;
}

}  // namespace lumivex
