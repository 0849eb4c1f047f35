#include "app/lumivex_release.h"

#include "app/lumivex_release_service.h"
#include "app/release_feed_error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>

namespace lumivex {

namespace {

const QStringList packageExtensions{QStringLiteral("AppImage"), QStringLiteral("tar.gz")};

[[noreturn]] void refuse(const QString& why) {
    throw releaseFeedError(ReleaseFeedErrorCode::decoding,
                           QStringLiteral("업데이트 목록을 읽을 수 없습니다: ") + why);
}

QJsonValue member(const QJsonObject& object, const QString& key) {
    const auto found = object.constFind(key);
    if (found == object.constEnd()) {
        refuse(QStringLiteral("\"%1\" 항목이 없습니다.").arg(key));
    }
    return *found;
}

QString text(const QJsonObject& object, const QString& key) {
    const QJsonValue value = member(object, key);
    if (!value.isString()) {
        refuse(QStringLiteral("\"%1\" 항목이 문자열이 아닙니다.").arg(key));
    }
    return value.toString();
}

bool flag(const QJsonObject& object, const QString& key) {
    const QJsonValue value = member(object, key);
    if (!value.isBool()) {
        refuse(QStringLiteral("\"%1\" 항목이 참/거짓 값이 아닙니다.").arg(key));
    }
    return value.toBool();
}

QJsonArray array(const QJsonObject& object, const QString& key) {
    const QJsonValue value = member(object, key);
    if (!value.isArray()) {
        refuse(QStringLiteral("\"%1\" 항목이 배열이 아닙니다.").arg(key));
    }
    return value.toArray();
}

QJsonObject object(const QJsonValue& value) {
    if (!value.isObject()) {
        refuse(QStringLiteral("항목이 객체가 아닙니다."));
    }
    return value.toObject();
}

LumivexRelease::Asset decodeAsset(const QJsonValue& value) {
    const QJsonObject fields = object(value);
    return {text(fields, QStringLiteral("name")), text(fields, QStringLiteral("state")),
            text(fields, QStringLiteral("browser_download_url"))};
}

LumivexRelease decodeRelease(const QJsonValue& value) {
    const QJsonObject fields = object(value);
    LumivexRelease release;
    release.tag_name = text(fields, QStringLiteral("tag_name"));
    release.html_url = text(fields, QStringLiteral("html_url"));
    release.draft = flag(fields, QStringLiteral("draft"));
    release.prerelease = flag(fields, QStringLiteral("prerelease"));
    for (const QJsonValue& asset : array(fields, QStringLiteral("assets"))) {
        release.assets.append(decodeAsset(asset));
    }
    return release;
}

// The first asset that is this platform's package of `version`, finished, on the update site.
bool hasPackage(const LumivexRelease& release, const QString& version) {
    for (const LumivexRelease::Asset& asset : release.assets) {
        if (asset.state != QStringLiteral("uploaded")) {
            continue;
        }
        const QString stem = QStringLiteral("Dovrin-") + version + QStringLiteral("-linux-x86_64.");
        const bool named =
            std::any_of(packageExtensions.begin(), packageExtensions.end(),
                        [&](const QString& extension) { return asset.name == stem + extension; });
        if (named && LumivexRelease::siteURL(asset.browser_download_url,
                                             QStringLiteral("/downloads/v") + version +
                                                 QLatin1Char('/') + asset.name)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QList<LumivexRelease> LumivexRelease::decodeFeed(const QByteArray& json) {
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        refuse(parse.errorString());
    }
    if (!document.isArray()) {
        refuse(QStringLiteral("목록이 배열이 아닙니다."));
    }
    QList<LumivexRelease> releases;
    for (const QJsonValue& value : document.array()) {
        releases.append(decodeRelease(value));
    }
    return releases;
}

std::optional<QUrl> LumivexRelease::siteURL(const QString& text, const QString& path) {
    const QUrl url(text, QUrl::StrictMode);
    const QUrl& origin = LumivexReleaseService::releasesURL();
    if (!url.isValid() || url.scheme() != QStringLiteral("https") || url.host() != origin.host() ||
        !url.userName().isEmpty() || !url.password().isEmpty() || url.port() != -1 ||
        url.hasQuery() || url.hasFragment()) {
        return std::nullopt;
    }
    if (text != LumivexReleaseService::origin() + path) {
        return std::nullopt;
    }
    return url;
}

std::optional<LumivexVersion> LumivexRelease::version() const {
    return LumivexVersion::parse(tag_name);
}

std::optional<QUrl> LumivexRelease::trustedURL() const {
    const std::optional<LumivexVersion> parsed = version();
    if (!parsed || tag_name != QLatin1Char('v') + parsed->description()) {
        return std::nullopt;
    }
    return siteURL(html_url, QStringLiteral("/updates/") + tag_name + QStringLiteral(".html"));
}

std::optional<LumivexRelease> LumivexRelease::newest(const QList<LumivexRelease>& releases,
                                                     const LumivexVersion& current) {
    std::optional<LumivexRelease> best;
    std::optional<LumivexVersion> bestVersion;
    for (const LumivexRelease& release : releases) {
        if (release.draft || (release.prerelease && current.major != 0) || !release.trustedURL()) {
            continue;
        }
        const LumivexVersion candidate = *release.version();
        if (!hasPackage(release, candidate.description())) {
            continue;
        }
        if (!bestVersion || candidate > *bestVersion) {
            best = release;
            bestVersion = candidate;
        }
    }
    return best;
}

}  // namespace lumivex
