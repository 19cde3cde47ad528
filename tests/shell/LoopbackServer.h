// A small HTTP server on loopback for the web tests: canned answers per path, requests recorded.
#pragma once

#include <functional>
#include <ostream>
#include <vector>

#include <QByteArray>
#include <QMap>
#include <QTcpServer>
#include <QUrl>

#include <gtest/gtest.h>

/// Shows texts as text in failed expectations.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace vtx::test {

class LoopbackServer : public QObject {
public:
    enum class Mode {
        Answer,   ///< status, headers and the whole body
        Drop,     ///< reads the request and drops the connection
        Silent,   ///< reads the request and never answers
        Truncate, ///< announces twice the body's length, sends the body and closes
    };
    struct Answer {
        int status = 200;
        QByteArray body;
        Mode mode = Mode::Answer;
    };
    struct Request {
        QString path; ///< as sent, still percent-encoded
        QMap<QByteArray, QByteArray> headers;
    };

    LoopbackServer();

    /// http://127.0.0.1:<port>
    QUrl base() const;
    /// The answer for a path; other paths get 404.
    void answer(const QString& path, const Answer& a);

    std::vector<Request> requests;
    /// Runs when a request has arrived, before it is answered (the client is waiting).
    std::function<void(const Request&)> onRequest;

private:
    QTcpServer m_server;
    QMap<QString, Answer> m_answers;

    void serve(QTcpSocket* socket);
};

/// An address where nothing listens.
QUrl closedPortUrl();

/// Points the web requests at a loopback server with a short timeout, and back after.
class WebFixture : public ::testing::Test {
protected:
    static constexpr int kTimeoutMs = 400;

    void SetUp() override;
    void TearDown() override;

    LoopbackServer server;
};

} // namespace vtx::test
