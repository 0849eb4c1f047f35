#pragma once

#include <QWidget>

namespace lumivex {

class LumivexUpdateController;

// The update window: the update view alone, 480 x 410, a dialog titled and closable only, also by
// Escape. Closing hides it; the controller keeps it for the next showing. Main thread.
class UpdateWindow final : public QWidget {
public:
    explicit UpdateWindow(LumivexUpdateController& updates);
};

}  // namespace lumivex
