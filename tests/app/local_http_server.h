#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

namespace lumivex::test {

// A tiny HTTP/1.1 server on 127.0.0.1 and a free port, for the release feed's real fetch. Each
// request gets the answer the test set for its path: a status, headers and a body sent whole, or
// a body that never ends. Every request's head is kept. Main thread.
class LocalHttpServer final : public QObject {
public:
    struct Answer {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        bool endless = false;  // streams bytes until the client goes away
    };

    LocalHttpServer();

    // "http://127.0.0.1:<port>" followed by `path`.
    QString url(const QString& path) const;
    void answer(const QByteArray& path, Answer answer);

    // The request heads received so far, in order.
    const QList<QByteArray>& requests() const { return requests_; }
    // How many bytes of endless bodies were written.
    qint64 streamed() const { return streamed_; }
    // Whether every endless stream's client has gone away.
    bool streamsClosed() const { return openStreams_ == 0; }

private:
    void accept();
    void read(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const QByteArray& path);
    void stream(QTcpSocket* socket);

    QTcpServer server_;
    QList<QPair<QByteArray, Answer>> answers_;
    QList<QByteArray> requests_;
    qint64 streamed_ = 0;
    int openStreams_ = 0;
};

}  // namespace lumivex::test
