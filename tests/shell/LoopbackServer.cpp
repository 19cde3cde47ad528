// The loopback HTTP server of the web tests.
#include "LoopbackServer.h"

#include <QTcpSocket>

#include "WebRequest.h"

namespace vtx::test {

namespace {

QByteArray reasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

LoopbackServer::LoopbackServer() {
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl LoopbackServer::base() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

void LoopbackServer::answer(const QString& path, const Answer& a) {
    m_answers[path] = a;
}

void LoopbackServer::serve(QTcpSocket* socket) {
    if (socket->property("served").toBool())
        return;
    QByteArray received = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", received);
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0)
        return;

    socket->setProperty("served", true);
    Request request;
    const QList<QByteArray> lines = received.left(end).split('\n');
    request.path = QString::fromLatin1(lines.value(0).split(' ').value(1));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers[lines[i].left(colon).trimmed().toLower()] =
                lines[i].mid(colon + 1).trimmed();
    }
    requests.push_back(request);
    if (onRequest)
        onRequest(request);

    const Answer a = m_answers.value(request.path, Answer{404, "not found", Mode::Answer});
    switch (a.mode) {
    case Mode::Silent:
        return;
    case Mode::Drop:
        socket->abort();
        return;
    case Mode::Answer:
    case Mode::Truncate: {
        const qsizetype length = a.mode == Mode::Truncate ? 2 * a.body.size() : a.body.size();
        socket->write("HTTP/1.1 " + QByteArray::number(a.status) + ' ' + reasonOf(a.status) +
                      "\r\nContent-Length: " + QByteArray::number(length) +
                      "\r\nConnection: close\r\n\r\n" + a.body);
        socket->disconnectFromHost();
    }
    }
}

QUrl closedPortUrl() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
}

void WebFixture::SetUp() {
    Web::setTestBase(server.base());
    Web::setTimeout(kTimeoutMs);
}

void WebFixture::TearDown() {
    Web::setTestBase(QUrl());
    Web::setTimeout(15000);
}

} // namespace vtx::test
