#include "local_http_server.h"

#include <QTcpSocket>

namespace lumivex::test {

namespace {

QByteArray reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        default:
            return "Status";
    }
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
    server_.listen(QHostAddress(QHostAddress::LocalHost), 0);
    connect(&server_, &QTcpServer::newConnection, this, &LocalHttpServer::accept);
}

QString LocalHttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void LocalHttpServer::answer(const QByteArray& path, Answer answer) {
    answers_.append({path, std::move(answer)});
}

void LocalHttpServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LocalHttpServer::read(QTcpSocket* socket) {
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        return;
    }
    head.truncate(end);
    socket->setProperty("head", QByteArray());
    requests_.append(head);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    respond(socket, requestLine.value(1));
}

void LocalHttpServer::respond(QTcpSocket* socket, const QByteArray& path) {
    Answer answer;
    answer.status = 404;
    for (const auto& [answered, given] : answers_) {
        if (answered == path) {
            answer = given;
        }
    }
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reason(answer.status) + "\r\n";
    for (const auto& [name, value] : answer.headers) {
        head += name + ": " + value + "\r\n";
    }
    if (answer.endless) {
        head += "Connection: close\r\n\r\n";
        socket->write(head);
        ++openStreams_;
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { stream(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this] { --openStreams_; });
        stream(socket);
        return;
    }
    head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n\r\n";
    socket->write(head + answer.body);
}

// Keeps a little written ahead of the client, for as long as it reads.
void LocalHttpServer::stream(QTcpSocket* socket) {
    static const QByteArray chunk(64 * 1024, ' ');
    while (socket->state() == QAbstractSocket::ConnectedState &&
           socket->bytesToWrite() < 4 * chunk.size()) {
        socket->write(chunk);
        streamed_ += chunk.size();
    }
}

}  // namespace lumivex::test
