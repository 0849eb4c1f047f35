#pragma once

#include "app/lumivex_version.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace lumivex {

// One release of the release feed, with its fields named as the feed's keys, and the rules a
// release must pass before it is offered: a trusted page on the update site and a finished
// download of this platform's package there. Values only; any thread.
struct LumivexRelease {
    // One downloadable file of a release.
    struct Asset {
        QString name;
        QString state;
        QString browser_download_url;

        bool operator==(const Asset&) const = default;
    };

    QString tag_name;
    QString html_url;
    bool draft = false;
    bool prerelease = false;
    QList<Asset> assets;

    bool operator==(const LumivexRelease&) const = default;

    // The feed's releases: a JSON array of release objects, every key present with its JSON type,
    // unknown keys ignored. All or nothing: one bad element refuses the whole feed (Error).
    static QList<LumivexRelease> decodeFeed(const QByteArray& json);

    // The release page, when the tag is "v" and a version's own text and the page is
    // "/updates/" + tag + ".html" on the update site, written exactly so.
    std::optional<QUrl> trustedURL() const;

    // The version the tag names, if any.
    std::optional<LumivexVersion> version() const;

    // The greatest acceptable release of the feed: published, a prerelease only while the running
    // major version is 0, a trusted page and an uploaded package on the update site. Of equal
    // versions the earliest in the feed wins.
    static std::optional<LumivexRelease> newest(const QList<LumivexRelease>& releases,
                                                const LumivexVersion& current);

    // The address when `text` is exactly the update site's origin followed by `path`.
    static std::optional<QUrl> siteURL(const QString& text, const QString& path);
};

}  // namespace lumivex
