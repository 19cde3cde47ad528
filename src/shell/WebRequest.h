// Synchronous HTTPS requests to the web services the program uses, and their addresses.
#pragma once

#include <utility>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

namespace vtx::Web {

/// The servers the program talks to.
enum class Service {
    PostalCode,      ///< public postal-code lookup
    CompanyRegistry, ///< public company-registry lookup
    Maker,           ///< the maker's download server
};

/// The address of a path on a service. Callers put typed values in through pathSegment().
QUrl serviceUrl(Service service, const QString& encodedPath);

/// A typed value made safe as one path segment: everything but letters, digits, "-", ".",
/// "_" and "~" is percent-encoded, so no value can leave its segment (a "." or ".." segment,
/// which URLs would resolve, is refused by serviceUrl()).
QString pathSegment(const QString& value);

/// What came back from a request.
struct Reply {
    int status = 0;     ///< HTTP status; 0 when no whole answer came
    QString reason;     ///< the status's reason phrase
    QByteArray body;    ///< the answer's bytes
    int error = 0;      ///< transport error number when no whole answer came
    QString errorText;  ///< its description
    bool begun = false; ///< an answer came in part: the server answered, not wholly
    bool answered() const { return status != 0; }
};

using Headers = QList<std::pair<QByteArray, QByteArray>>;

/// The largest answer a lookup takes, in bytes; a longer one is a failed transfer.
constexpr qint64 kMaxAnswerBytes = 1024 * 1024;

/// GET that returns when the whole answer is in, the transfer failed, the answer grew past
/// maxBytes, or the server stayed silent for the timeout. Only timers and the network run
/// meanwhile: the user's input waits.
Reply get(const QUrl& url, const Headers& headers = {}, qint64 maxBytes = kMaxAnswerBytes);

/// Tests: sends every request to this base (scheme, host and port) instead of the services'
/// own hosts; an empty URL restores them.
void setTestBase(const QUrl& base);
/// Tests: the silence after which a request is given up, in milliseconds (default 15000).
void setTimeout(int milliseconds);

} // namespace vtx::Web
