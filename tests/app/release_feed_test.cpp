#include "app/lumivex_release.h"
#include "app/lumivex_release_service.h"
#include "app/lumivex_version.h"
#include "platform/error.h"

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

QString site(const QString& path) {
    return LumivexReleaseService::origin() + path;
}

LumivexRelease::Asset package(const QString& version,
                              const QString& extension = QStringLiteral("AppImage")) {
    const QString name = QStringLiteral("Dovrin-%1-linux-x86_64.%2").arg(version, extension);
    return {name, QStringLiteral("uploaded"),
            site(QStringLiteral("/downloads/v%1/%2").arg(version, name))};
}

LumivexRelease release(const QString& version) {
    LumivexRelease made;
    made.tag_name = QLatin1Char('v') + version;
    made.html_url = site(QStringLiteral("/updates/v%1.html").arg(version));
    made.assets = {package(version)};
    return made;
}

LumivexVersion v(std::int64_t major, std::int64_t minor, std::int64_t patch) {
    return {major, minor, patch};
}

TEST(LumivexVersion, ParsesThreeAsciiNumbersWithOneLowerCaseV) {
    EXPECT_EQ(LumivexVersion::parse(QStringLiteral("1.2.3")), v(1, 2, 3));
    EXPECT_EQ(LumivexVersion::parse(QStringLiteral("v1.2.3")), v(1, 2, 3));
    EXPECT_EQ(LumivexVersion::parse(QStringLiteral("v01.002.003")), v(1, 2, 3));
    EXPECT_EQ(LumivexVersion::parse(QStringLiteral("v1.2.9223372036854775807")),
              v(1, 2, 9223372036854775807));
    EXPECT_EQ(LumivexVersion::parse(QStringLiteral("v01.002.003"))->description(),
              QStringLiteral("1.2.3"));
    for (const char* text : {"V1.2.3", "vv1.2.3", "1.2", "1.2.3.4", "1..3", "1.2.", ".1.2", "1.2.x",
                             "+1.2.3", "1.2.-3", " 1.2.3", "1.2.3 ", "1.2.99999999999999999999",
                             "v1.2.9223372036854775808", "", "v", "1.\u0662.3", "1.\uff12.3"}) {
        EXPECT_EQ(LumivexVersion::parse(QString::fromUtf8(text)), std::nullopt) << text;
    }
}

TEST(LumivexVersion, OrdersByMajorThenMinorThenPatchAsNumbers) {
    EXPECT_GT(v(1, 10, 0), v(1, 9, 9));
    EXPECT_GT(v(2, 0, 0), v(1, 99, 99));
    EXPECT_LT(v(1, 2, 3), v(1, 2, 4));
    EXPECT_EQ(LumivexVersion::parse(QStringLiteral("1.2.3")),
              LumivexVersion::parse(QStringLiteral("v1.2.3")));
    EXPECT_EQ(v(1, 10, 0).description(), QStringLiteral("1.10.0"));
}

TEST(LumivexRelease, TrustsOnlyTheExactPageOfACanonicalTagOnTheUpdateSite) {
    LumivexRelease good = release(QStringLiteral("1.2.3"));
    ASSERT_TRUE(good.trustedURL());
    EXPECT_EQ(good.trustedURL()->toString(), site(QStringLiteral("/updates/v1.2.3.html")));

    const QString origin = LumivexReleaseService::origin();
    const QString host = LumivexReleaseService::releasesURL().host();
    for (const QString& page :
         {site(QStringLiteral("/updates/v1.2.3.html/")),
          site(QStringLiteral("/updates/v1.2.3.html?x=1")),
          site(QStringLiteral("/updates/v1.2.3.html#a")),
          origin + QStringLiteral(":443/updates/v1.2.3.html"),
          QStringLiteral("http://") + host + QStringLiteral("/updates/v1.2.3.html"),
          QStringLiteral("https://user@") + host + QStringLiteral("/updates/v1.2.3.html"),
          QStringLiteral("https://evil.example/updates/v1.2.3.html"),
          QStringLiteral("https://") + host + QStringLiteral(".evil.example/updates/v1.2.3.html"),
          QStringLiteral("https://") + host.toUpper() + QStringLiteral("/updates/v1.2.3.html"),
          site(QStringLiteral("/updates/v1%2E2.3.html")),
          site(QStringLiteral("/updates/V1.2.3.html")),
          site(QStringLiteral("/updates/1.2.3.html"))}) {
        LumivexRelease other = good;
        other.html_url = page;
        EXPECT_EQ(other.trustedURL(), std::nullopt) << page.toStdString();
    }
    for (const char* tag : {"1.2.3", "v1.02.3", "V1.2.3"}) {
        LumivexRelease other = good;
        other.tag_name = QString::fromUtf8(tag);
        other.html_url = site(QStringLiteral("/updates/%1.html").arg(other.tag_name));
        EXPECT_EQ(other.trustedURL(), std::nullopt) << tag;
    }
}

TEST(LumivexRelease, OffersOnlyPublishedReleasesWithAnUploadedPackageOnTheSite) {
    const LumivexVersion current = v(1, 0, 0);
    EXPECT_EQ(LumivexRelease::newest({release(QStringLiteral("1.2.3"))}, current),
              release(QStringLiteral("1.2.3")));

    LumivexRelease tarball = release(QStringLiteral("1.2.3"));
    tarball.assets = {package(QStringLiteral("1.2.3"), QStringLiteral("tar.gz"))};
    EXPECT_TRUE(LumivexRelease::newest({tarball}, current));

    LumivexRelease draft = release(QStringLiteral("1.2.3"));
    draft.draft = true;
    EXPECT_EQ(LumivexRelease::newest({draft}, current), std::nullopt);

    const auto withAsset = [](LumivexRelease::Asset asset) {
        LumivexRelease made = release(QStringLiteral("1.2.3"));
        made.assets = {asset};
        return LumivexRelease::newest({made}, v(1, 0, 0));
    };
    LumivexRelease::Asset asset = package(QStringLiteral("1.2.3"));
    asset.state = QStringLiteral("starter");
    EXPECT_EQ(withAsset(asset), std::nullopt);
    asset = package(QStringLiteral("1.2.3"), QStringLiteral("dmg"));
    EXPECT_EQ(withAsset(asset), std::nullopt);
    asset = package(QStringLiteral("1.2.3"));
    asset.browser_download_url = site(QStringLiteral("/downloads/1.2.3/") + asset.name);
    EXPECT_EQ(withAsset(asset), std::nullopt);
    asset = package(QStringLiteral("1.2.4"));
    EXPECT_EQ(withAsset(asset), std::nullopt);

    LumivexRelease secondAssetPasses = release(QStringLiteral("1.2.3"));
    LumivexRelease::Asset broken = package(QStringLiteral("1.2.3"));
    broken.state = QStringLiteral("new");
    secondAssetPasses.assets = {broken, package(QStringLiteral("1.2.3"))};
    EXPECT_TRUE(LumivexRelease::newest({secondAssetPasses}, current));

    LumivexRelease untrusted = release(QStringLiteral("1.2.3"));
    untrusted.tag_name = QStringLiteral("1.2.3");
    EXPECT_EQ(LumivexRelease::newest({untrusted}, current), std::nullopt);
}

TEST(LumivexRelease, OffersPrereleasesBeforeTheFirstMajorVersionAndTheEarliestOfEqualVersions) {
    LumivexRelease pre = release(QStringLiteral("0.10.0"));
    pre.prerelease = true;
    EXPECT_EQ(LumivexRelease::newest({pre}, v(0, 9, 0)), pre);
    EXPECT_EQ(LumivexRelease::newest({pre}, v(1, 0, 0)), std::nullopt);

    LumivexRelease first = release(QStringLiteral("2.0.0"));
    LumivexRelease second = release(QStringLiteral("2.0.0"));
    second.assets.append(package(QStringLiteral("2.0.0"), QStringLiteral("tar.gz")));
    const auto newest = LumivexRelease::newest(
        {release(QStringLiteral("1.5.0")), first, release(QStringLiteral("1.9.9")), second},
        v(1, 0, 0));
    EXPECT_EQ(newest, first);
    EXPECT_EQ(LumivexRelease::newest({}, v(1, 0, 0)), std::nullopt);
}

TEST(LumivexRelease, DecodesAFeedWholeOrNotAtAll) {
    EXPECT_TRUE(LumivexRelease::decodeFeed("[]").isEmpty());
    const QByteArray good =
        R"([{"tag_name":"v1.2.3","html_url":"h","draft":false,"prerelease":true,"extra":1,)"
        R"("assets":[{"name":"n","state":"uploaded","browser_download_url":"u","size":5}]}])";
    const QList<LumivexRelease> decoded = LumivexRelease::decodeFeed(good);
    ASSERT_EQ(decoded.size(), 1);
    EXPECT_EQ(decoded[0].tag_name, QStringLiteral("v1.2.3"));
    EXPECT_TRUE(decoded[0].prerelease);
    EXPECT_EQ(decoded[0].assets,
              QList<LumivexRelease::Asset>(
                  {{QStringLiteral("n"), QStringLiteral("uploaded"), QStringLiteral("u")}}));

    const QByteArray okElement =
        R"({"tag_name":"v1.0.0","html_url":"h","draft":false,"prerelease":false,"assets":[]})";
    for (
        const QByteArray& bad :
        {QByteArray(R"({"releases":[]})"),
         QByteArray(
             R"([{"tag_name":"v1.2.3","html_url":"h","draft":"false","prerelease":false,"assets":[]}])"),
         QByteArray(
             R"([{"tag_name":"v1.2.3","html_url":"h","draft":0,"prerelease":false,"assets":[]}])"),
         QByteArray(R"([{"tag_name":"v1.2.3","html_url":"h","prerelease":false,"assets":[]}])"),
         QByteArray(R"([{"tag_name":"v1.2.3","html_url":"h","draft":false,"prerelease":false}])"),
         QByteArray(
             R"([{"tag_name":null,"html_url":"h","draft":false,"prerelease":false,"assets":[]}])"),
         "[" + okElement +
             R"(,{"tag_name":"v1","html_url":"h","draft":false,"prerelease":false,)"
             R"("assets":[{"name":"n","state":"uploaded"}]}])",
         "[" + okElement + ",5]", "[" + okElement, QByteArray("")}) {
        EXPECT_THROW(LumivexRelease::decodeFeed(bad), Error) << bad.toStdString();
    }
}

}  // namespace
}  // namespace lumivex::test
