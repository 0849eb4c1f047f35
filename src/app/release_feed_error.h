#pragma once

#include "platform/error.h"

namespace lumivex {

// Why the release feed could not be had. The caller tells only success from failure; the codes
// let tests and logs tell the kinds apart.
enum class ReleaseFeedErrorCode {
    // The server answered, but not with the feed: another status, another final address, a body
    // over the size limit, or not HTTP at all.
    badServerResponse = 1,
    // No answer came: no network, refused, timed out, TLS failure, cancelled.
    transport = 2,
    // The body is not a feed.
    decoding = 3,
};

inline const QString releaseFeedErrorDomain = QStringLiteral("Lumivex.ReleaseFeed");

inline Error releaseFeedError(ReleaseFeedErrorCode code, const QString& description) {
    return Error(releaseFeedErrorDomain, static_cast<int>(code), description);
}

}  // namespace lumivex
