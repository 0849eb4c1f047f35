#pragma once

#include "app/lumivex_release.h"
#include "app/update_build.h"
#include "platform/date.h"

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QUrl;
class QWidget;

namespace lumivex {

class DistributionUpdater;
class UserDefaults;

// Decides when the application looks for a newer release, runs the look-up against the release
// feed, keeps what the update view shows (one change signal per property) and owns the update
// window. Automatic checks run from release packages only, at most once a day counted from the
// last attempt; a manual check runs whenever asked. In a build that carries a distribution
// updater, scheduling and installing go to it instead. One per process. Main thread.
class LumivexUpdateController final : public QObject {
    Q_OBJECT

public:
    using FetchReleases = std::function<QFuture<QList<LumivexRelease>>()>;

    // What the controller works with; empty functions take the real ones (the release feed, the
    // system clock, the default browser, no distribution updater).
    struct Environment {
        UserDefaults* defaults = nullptr;  // must outlive the controller
        FetchReleases fetchReleases;
        Clock clock;
        QStringList arguments;
        QString runningVersion;
        UpdateBuild build;
        std::function<std::unique_ptr<DistributionUpdater>()> makeDistributionUpdater;
        std::function<void(const QUrl&)> openUrl;
    };

    // The environment of this process: its arguments, version and build.
    static Environment processEnvironment(UserDefaults& defaults);

    explicit LumivexUpdateController(Environment environment, QObject* parent = nullptr);
    ~LumivexUpdateController() override;

    bool automaticallyChecks() const { return automaticallyChecks_; }
    bool isChecking() const { return isChecking_; }
    const std::optional<LumivexRelease>& availableRelease() const { return availableRelease_; }
    const QString& status() const { return status_; }
    const std::optional<Date>& lastChecked() const { return lastChecked_; }
    // Present only in a distribution build.
    DistributionUpdater* distributionUpdater() const { return distribution_.get(); }
    // Made at its first showing and kept.
    QWidget* updateWindow() const { return updateWindow_.get(); }

    // Runs an automatic check when one is due: asked at launch and on every activation.
    void checkAutomaticallyIfNeeded();
    // The view's checkbox; switching on runs a check at once when one is due.
    void setAutomaticChecks(bool on);
    // Starts a feed check unless one runs. Only an automatic check announces what it finds.
    void check(bool manual);
    // The menu command: the window with a manual check (the distribution updater's own check in
    // a distribution build).
    void requestUpdateCheck();
    // The view's download button.
    void installUpdate();
    // Opens the available release's trusted page, else the update site's front page.
    void openRelease();
    // Shows the update window; without `activate` it comes to the front without taking focus.
    void showWindow(bool activate);
    // The window whose screen the update window opens on.
    void setMainWindow(QWidget* window);

Q_SIGNALS:
    void automaticallyChecksChanged();
    void isCheckingChanged();
    void availableReleaseChanged();
    void statusChanged();
    void lastCheckedChanged();

private:
    void startDistributionUpdater();
    void mirrorDistributionSetting();
    void checkFinished(const QFuture<QList<LumivexRelease>>& future, const LumivexVersion& current,
                       bool manual);
    void showFound(const LumivexRelease& release, const LumivexVersion& version, bool manual);
    void assignChecking(bool checking);
    void assignStatus(const QString& status);
    void assignRelease(const std::optional<LumivexRelease>& release);
    bool disallowsAutomaticChecks() const;
    Date now() const;

    Environment environment_;
    UserDefaults& defaults_;
    bool automaticallyChecks_ = true;
    bool isChecking_ = false;
    std::optional<LumivexRelease> availableRelease_;
    QString status_;
    std::optional<Date> lastChecked_;
    std::unique_ptr<QWidget> updateWindow_;
    QPointer<QWidget> mainWindow_;
    std::unique_ptr<DistributionUpdater> distribution_;
};

}  // namespace lumivex
