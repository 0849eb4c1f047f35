#pragma once

#include "app/lumivex_release.h"

#include <QFuture>
#include <QUrl>

namespace lumivex {

// The update site and the one request made to it. The site's origin (https, a host, no port, no
// path) is fixed when the application is built.
namespace LumivexReleaseService {

// The largest feed accepted; the download stops as soon as more arrives.
inline constexpr qint64 maximumFeedBytes = 2'000'000;

// The origin's text, as every trusted address begins.
const QString& origin();
// The site's front page: the origin itself.
const QUrl& releasesURL();
// The origin followed by "/updates/releases.json".
const QUrl& feedURL();

// Downloads and decodes the feed at feedURL() (or `feed`): a GET with "Accept" and
// "User-Agent" set, no cache, no cookies, an idle time-out of 20 s. Only a 200 answer from
// exactly that address with at most maximumFeedBytes of body is decoded. The future fails with
// an Error (ReleaseFeedErrorCode) otherwise. Call on a thread with an event loop (the main
// thread); the result arrives there.
QFuture<QList<LumivexRelease>> fetch();
QFuture<QList<LumivexRelease>> fetch(const QUrl& feed);

}  // namespace LumivexReleaseService
}  // namespace lumivex
