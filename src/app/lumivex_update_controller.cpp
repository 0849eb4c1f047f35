#include "app/lumivex_update_controller.h"

#include "app/distribution_updater.h"
#include "app/lumivex_release_service.h"
#include "app/update_window.h"
#include "media_views/window_placement.h"
#include "platform/app_brand.h"
#include "platform/user_defaults.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFutureWatcher>
#include <QPointer>
#include <QUrl>

namespace lumivex {

namespace {

const QString automaticChecksKey = QStringLiteral("Lumivex.updates.automaticChecks");
const QString distributionChecksKey = QStringLiteral("SUEnableAutomaticChecks");
const QString lastAttemptKey = QStringLiteral("Lumivex.updates.lastAttempt");
const QString lastSuccessKey = QStringLiteral("Lumivex.updates.lastSuccess");
const QString notifiedVersionKey = QStringLiteral("Lumivex.updates.notifiedVersion");
const QString temporaryLibraryOption = QStringLiteral("--library");

constexpr double checkInterval = 86400;

const QString idleStatus = QStringLiteral("새 버전이 있는지 확인해 보세요.");
const QString unknownVersionStatus =
    QStringLiteral("현재 버전을 확인할 수 없습니다. 릴리스 페이지를 확인해 주세요.");
const QString checkingStatus = QStringLiteral("새 버전을 확인하고 있습니다…");
const QString failedStatus = QStringLiteral(
    "업데이트를 확인하지 못했습니다. 인터넷 연결을 확인하거나 잠시 후 다시 시도해 주세요.");
const QString noReleaseStatus =
    QStringLiteral("다운로드 가능한 배포 버전을 찾지 못했습니다. 릴리스 페이지를 확인해 주세요.");
const QString upToDateStatus = QStringLiteral("최신 버전을 사용하고 있습니다.");
const QString updaterFailedStatus =
    QStringLiteral("업데이트를 시작하지 못했습니다. 잠시 후 다시 확인해 주세요.");

QString foundStatus(const LumivexVersion& version) {
    return QLatin1Char('v') + version.description() + QStringLiteral(" 업데이트가 있습니다.");
}

std::optional<Date> storedDate(const UserDefaults& defaults, const QString& key) {
    if (const std::optional<double> seconds = defaults.doubleValue(key)) {
        return Date{*seconds};
    }
    return std::nullopt;
}

// The feed a finished fetch gave, or nothing when it failed in any way.
std::optional<QList<LumivexRelease>> fetched(const QFuture<QList<LumivexRelease>>& future) {
    try {
        if (!future.isCanceled() && future.resultCount() > 0) {
            return future.result();
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

LumivexUpdateController::Environment LumivexUpdateController::processEnvironment(
    UserDefaults& defaults) {
    Environment environment;
    environment.defaults = &defaults;
    environment.arguments = QCoreApplication::arguments();
    environment.runningVersion = AppBrand::version();
    environment.build = UpdateBuild::current();
    return environment;
}

LumivexUpdateController::LumivexUpdateController(Environment environment, QObject* parent)
    : QObject(parent),
      environment_(std::move(environment)),
      defaults_(*environment_.defaults),
      status_(idleStatus) {
    if (!environment_.fetchReleases) {
        environment_.fetchReleases = [] { return LumivexReleaseService::fetch(); };
    }
    if (!environment_.openUrl) {
        environment_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    }
    automaticallyChecks_ = defaults_.boolValue(distributionChecksKey)
                               .value_or(defaults_.boolValue(automaticChecksKey).value_or(true));
    lastChecked_ = storedDate(defaults_, lastSuccessKey);
    const UpdateBuild& build = environment_.build;
    if (build.packaged && !environment_.arguments.contains(temporaryLibraryOption) &&
        build.distributionBuild == true && build.publicKey &&
        environment_.makeDistributionUpdater) {
        startDistributionUpdater();
    }
}

LumivexUpdateController::~LumivexUpdateController() = default;

void LumivexUpdateController::startDistributionUpdater() {
    distribution_ = environment_.makeDistributionUpdater();
    distribution_->setAutomaticallyChecksForUpdates(automaticallyChecks_);
    // The notice may come from any thread; the main thread takes it, if the controller lives.
    QPointer<LumivexUpdateController> self(this);
    distribution_->observeAutomaticChecks([self] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (self) {
                    self->mirrorDistributionSetting();
                }
            },
            Qt::QueuedConnection);
    });
    if (!distribution_->start()) {
        assignStatus(updaterFailedStatus);
    }
}

void LumivexUpdateController::mirrorDistributionSetting() {
    const bool on = distribution_->automaticallyChecksForUpdates();
    if (on != automaticallyChecks_) {
        automaticallyChecks_ = on;
        Q_EMIT automaticallyChecksChanged();
    }
    defaults_.setBool(automaticChecksKey, on);
}

Date LumivexUpdateController::now() const {
    return environment_.clock ? environment_.clock() : Date::now();
}

bool LumivexUpdateController::disallowsAutomaticChecks() const {
    return distribution_ != nullptr || !environment_.build.packaged ||
           environment_.arguments.contains(temporaryLibraryOption) || !automaticallyChecks_ ||
           isChecking_;
}

void LumivexUpdateController::checkAutomaticallyIfNeeded() {
    if (disallowsAutomaticChecks()) {
        return;
    }
    // Counted from the last attempt, failed or not; a date in the future does not hold it back.
    if (const std::optional<Date> attempt = storedDate(defaults_, lastAttemptKey)) {
        const double elapsed = now().secondsSince1970 - attempt->secondsSince1970;
        if (elapsed >= 0 && elapsed < checkInterval) {
            return;
        }
    }
    check(false);
}

void LumivexUpdateController::setAutomaticChecks(bool on) {
    if (on != automaticallyChecks_) {
        automaticallyChecks_ = on;
        Q_EMIT automaticallyChecksChanged();
    }
    defaults_.setBool(automaticChecksKey, on);
    if (distribution_) {
        distribution_->setAutomaticallyChecksForUpdates(on);
    }
    if (on) {
        checkAutomaticallyIfNeeded();
    }
}

void LumivexUpdateController::check(bool manual) {
    if (isChecking_) {
        return;
    }
    const std::optional<LumivexVersion> current =
        LumivexVersion::parse(environment_.runningVersion);
    if (!current) {
        assignStatus(unknownVersionStatus);
        return;
    }
    assignChecking(true);
    assignStatus(checkingStatus);
    assignRelease(std::nullopt);
    defaults_.setDouble(lastAttemptKey, now().secondsSince1970);
    auto* watcher = new QFutureWatcher<QList<LumivexRelease>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, version = *current, manual] {
                watcher->deleteLater();
                checkFinished(watcher->future(), version, manual);
            });
    watcher->setFuture(environment_.fetchReleases());
}

void LumivexUpdateController::checkFinished(const QFuture<QList<LumivexRelease>>& future,
                                            const LumivexVersion& current, bool manual) {
    const std::optional<QList<LumivexRelease>> releases = fetched(future);
    if (!releases) {
        assignStatus(failedStatus);
        assignChecking(false);
        return;
    }
    lastChecked_ = now();
    defaults_.setDouble(lastSuccessKey, lastChecked_->secondsSince1970);
    Q_EMIT lastCheckedChanged();
    const std::optional<LumivexRelease> newest = LumivexRelease::newest(*releases, current);
    const std::optional<LumivexVersion> version =
        newest ? newest->version() : std::optional<LumivexVersion>();
    if (!version) {
        assignStatus(noReleaseStatus);
    } else if (current < *version) {
        showFound(*newest, *version, manual);
    } else {
        assignStatus(upToDateStatus);
    }
    assignChecking(false);
}

// Only an automatic check announces, once per release, and not after checks were switched off.
void LumivexUpdateController::showFound(const LumivexRelease& release,
                                        const LumivexVersion& version, bool manual) {
    assignRelease(release);
    assignStatus(foundStatus(version));
    if (manual || !automaticallyChecks_ ||
        defaults_.text(notifiedVersionKey) == std::optional<QString>(release.tag_name)) {
        return;
    }
    defaults_.setText(notifiedVersionKey, release.tag_name);
    showWindow(false);
}

void LumivexUpdateController::requestUpdateCheck() {
    if (distribution_) {
        distribution_->checkForUpdates();
        return;
    }
    showWindow(true);
    check(true);
}

void LumivexUpdateController::installUpdate() {
    if (distribution_) {
        distribution_->checkForUpdates();
        return;
    }
    openRelease();
}

void LumivexUpdateController::openRelease() {
    std::optional<QUrl> page;
    if (availableRelease_) {
        page = availableRelease_->trustedURL();
    }
    environment_.openUrl(page.value_or(LumivexReleaseService::releasesURL()));
}

void LumivexUpdateController::setMainWindow(QWidget* window) {
    mainWindow_ = window;
}

void LumivexUpdateController::showWindow(bool activate) {
    if (!updateWindow_) {
        updateWindow_ = std::make_unique<UpdateWindow>(*this);
    }
    QWidget& window = *updateWindow_;
    if (!window.isVisible()) {
        WindowPlacement::centreOnMainScreen(window, mainWindow_);
        WindowPlacement::keepAbove(window, mainWindow_);
    }
    window.setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    window.show();
    window.raise();
    if (activate) {
        window.activateWindow();
    }
}

void LumivexUpdateController::assignChecking(bool checking) {
    if (checking != isChecking_) {
        isChecking_ = checking;
        Q_EMIT isCheckingChanged();
    }
}

void LumivexUpdateController::assignStatus(const QString& status) {
    if (status != status_) {
        status_ = status;
        Q_EMIT statusChanged();
    }
}

void LumivexUpdateController::assignRelease(const std::optional<LumivexRelease>& release) {
    if (release != availableRelease_) {
        availableRelease_ = release;
        Q_EMIT availableReleaseChanged();
    }
}

}  // namespace lumivex
