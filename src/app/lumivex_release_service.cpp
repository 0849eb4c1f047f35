#include "app/lumivex_release_service.h"

#include "app/release_feed_error.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPromise>

#include <memory>

namespace lumivex {

namespace {

constexpr int timeoutMilliseconds = 20'000;
// How much the reply may hold unread: the cap is checked as the body arrives, so the memory of
// a download stays bounded whatever the server sends.
constexpr qint64 readBufferBytes = 64 * 1024;

Error badServerResponse() {
    return releaseFeedError(ReleaseFeedErrorCode::badServerResponse,
                            QStringLiteral("업데이트 서버의 응답이 올바르지 않습니다."));
}

// One download of the feed. It owns its own network access manager, so nothing (cache, cookies,
// connections) outlives it, and deletes itself once the promise is settled.
class FeedDownload final : public QObject {
public:
    explicit FeedDownload(const QUrl& feed) : feed_(feed) {
        QNetworkRequest request(feed);
        request.setTransferTimeout(timeoutMilliseconds);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
        request.setRawHeader("Accept", "application/json");
        request.setRawHeader("User-Agent", "Dovrin-Update-Check");
        network_.setCookieJar(nullptr);
        promise_.start();
        reply_ = network_.get(request);
        reply_->setReadBufferSize(readBufferBytes);
        connect(reply_, &QNetworkReply::metaDataChanged, this, &FeedDownload::headersArrived);
        connect(reply_, &QNetworkReply::readyRead, this, &FeedDownload::bodyArrived);
        connect(reply_, &QNetworkReply::finished, this, &FeedDownload::finished);
    }

    QFuture<QList<LumivexRelease>> future() { return promise_.future(); }

private:
    // A declared length over the cap needs no reading.
    void headersArrived() {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > LumivexReleaseService::maximumFeedBytes) {
            fail(badServerResponse());
        }
    }

    void bodyArrived() {
        body_.append(reply_->readAll());
        if (body_.size() > LumivexReleaseService::maximumFeedBytes) {
            fail(badServerResponse());
        }
    }

    void finished() {
        body_.append(reply_->readAll());
        const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QNetworkReply::NetworkError error = reply_->error();
        // Errors below the content range are the network's and the proxy's own: no answer came.
        const bool transport = error != QNetworkReply::NoError &&
                               (!status.isValid() || error < QNetworkReply::ContentAccessDenied);
        if (transport) {
            fail(releaseFeedError(ReleaseFeedErrorCode::transport, reply_->errorString()));
        } else if (!status.isValid() || status.toInt() != 200 ||
                   reply_->url().toString(QUrl::FullyEncoded) !=
                       feed_.toString(QUrl::FullyEncoded) ||
                   body_.size() > LumivexReleaseService::maximumFeedBytes) {
            fail(badServerResponse());
        } else {
            decode();
        }
    }

    void decode() {
        try {
            promise_.addResult(LumivexRelease::decodeFeed(body_));
            settle();
        } catch (const Error& error) {
            fail(error);
        }
    }

    void fail(const Error& error) {
        promise_.setException(std::make_exception_ptr(error));
        settle();
    }

    // Stops the transfer and lets go of everything; later signals of the reply are not heard.
    void settle() {
        promise_.finish();
        reply_->disconnect(this);
        reply_->abort();
        body_.clear();
        deleteLater();
    }

    QUrl feed_;
    QNetworkAccessManager network_;
    QNetworkReply* reply_ = nullptr;
    QByteArray body_;
    QPromise<QList<LumivexRelease>> promise_;
};

}  // namespace

const QString& LumivexReleaseService::origin() {
    static const QString value = QStringLiteral(LUMIVEX_UPDATE_ORIGIN);
    return value;
}

const QUrl& LumivexReleaseService::releasesURL() {
    static const QUrl value(origin(), QUrl::StrictMode);
    return value;
}

const QUrl& LumivexReleaseService::feedURL() {
    static const QUrl value(origin() + QStringLiteral("/updates/releases.json"), QUrl::StrictMode);
    return value;
}

QFuture<QList<LumivexRelease>> LumivexReleaseService::fetch() {
    return fetch(feedURL());
}

QFuture<QList<LumivexRelease>> LumivexReleaseService::fetch(const QUrl& feed) {
    return (new FeedDownload(feed))->future();
}

}  // namespace lumivex
