#pragma once

#include <functional>

namespace lumivex {

// The updater framework a distribution build hands updating to: it schedules its own checks,
// shows its own windows and installs. Linux builds have none (their packages are updated by the
// release feed's page); the interface keeps the controller's distribution branch whole and
// testable. Main thread, except that the setting's change notice may come from any thread.
class DistributionUpdater {
public:
    virtual ~DistributionUpdater() = default;

    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    // Called, on any thread, whenever the updater's own setting changes after this call.
    virtual void observeAutomaticChecks(std::function<void()> changed) = 0;
    // Starts the updater; false when it could not start.
    virtual bool start() = 0;
    // The updater's own user-initiated check, with its own windows.
    virtual void checkForUpdates() = 0;
};

}  // namespace lumivex
