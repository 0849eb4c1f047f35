#pragma once

#include "app/distribution_updater.h"
#include "app/lumivex_release_service.h"
#include "app/lumivex_update_controller.h"
#include "platform/user_defaults.h"

#include <QPromise>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace lumivex::test {

// The distribution updater of a build that carries one, scripted.
class FakeDistributionUpdater final : public DistributionUpdater {
public:
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic = on; }
    void observeAutomaticChecks(std::function<void()> changed) override {
        observer = std::move(changed);
    }
    bool start() override {
        ++starts;
        return startSucceeds;
    }
    void checkForUpdates() override { ++checks; }

    bool automatic = false;
    bool startSucceeds = true;
    int starts = 0;
    int checks = 0;
    std::function<void()> observer;
};

// An update controller over its own user defaults, a clock that moves only when told, a feed
// fetch the test answers by hand and a browser that records what it was asked to open. Packaged,
// version 1.0.0, no distribution updater, unless a test changes the environment first.
class UpdateTest : public ::testing::Test {
protected:
    UpdateTest();

    LumivexUpdateController& make();
    // Answers the oldest unanswered fetch with `releases`, or with a failure.
    void answer(const QList<LumivexRelease>& releases);
    void fail();
    int fetches() const { return static_cast<int>(promises.size()); }
    std::optional<double> stored(const QString& key) const { return defaults.doubleValue(key); }

    static QString site(const QString& path) { return LumivexReleaseService::origin() + path; }
    // A release of `version` that passes every rule.
    static LumivexRelease release(const QString& version);

    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    Date now{1800000000.0};
    LumivexUpdateController::Environment environment;
    std::vector<std::shared_ptr<QPromise<QList<LumivexRelease>>>> promises;
    std::size_t answered = 0;
    QList<QUrl> opened;
    FakeDistributionUpdater* distribution = nullptr;
    std::unique_ptr<LumivexUpdateController> updates;
};

}  // namespace lumivex::test
