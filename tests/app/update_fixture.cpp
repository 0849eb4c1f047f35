#include "update_fixture.h"

#include "support/event_loop.h"

namespace lumivex::test {

UpdateTest::UpdateTest() {
    environment.defaults = &defaults;
    environment.clock = [this] { return now; };
    environment.runningVersion = QStringLiteral("1.0.0");
    environment.build.packaged = true;
    environment.openUrl = [this](const QUrl& url) { opened.append(url); };
    environment.fetchReleases = [this] {
        auto promise = std::make_shared<QPromise<QList<LumivexRelease>>>();
        promise->start();
        promises.push_back(promise);
        return promise->future();
    };
}

LumivexUpdateController& UpdateTest::make() {
    updates = std::make_unique<LumivexUpdateController>(environment);
    return *updates;
}

void UpdateTest::answer(const QList<LumivexRelease>& releases) {
    ASSERT_LT(answered, promises.size());
    auto& promise = *promises[answered++];
    promise.addResult(releases);
    promise.finish();
    runEventsUntil([this] { return !updates->isChecking(); }, "the check");
}

void UpdateTest::fail() {
    ASSERT_LT(answered, promises.size());
    auto& promise = *promises[answered++];
    promise.setException(std::make_exception_ptr(std::runtime_error("offline")));
    promise.finish();
    runEventsUntil([this] { return !updates->isChecking(); }, "the check");
}

LumivexRelease UpdateTest::release(const QString& version) {
    const QString name = QStringLiteral("Dovrin-%1-linux-x86_64.tar.gz").arg(version);
    LumivexRelease made;
    made.tag_name = QLatin1Char('v') + version;
    made.html_url = site(QStringLiteral("/updates/v%1.html").arg(version));
    made.assets = {{name, QStringLiteral("uploaded"),
                    site(QStringLiteral("/downloads/v%1/%2").arg(version, name))}};
    return made;
}

}  // namespace lumivex::test
