// Synchronous GET on Qt Network with a silence timeout and a local event loop that holds the
// user's input.
#include "WebRequest.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace vtx::Web {

namespace {

QUrl testBase;
int timeoutMs = 15000;

QString host(Service service) {
    switch (service) {
    case Service::PostalCode:
        return QStringLiteral("viacep.com.br");
    case Service::CompanyRegistry:
        return QStringLiteral("receitaws.com.br");
    case Service::Maker:
        return QStringLiteral("www.morvisca.com.br");
    }
    return {};
}

/// Errors that come with a whole HTTP answer (its status says what went wrong).
bool isStatusError(QNetworkReply::NetworkError error) {
    return (error >= QNetworkReply::ContentAccessDenied &&
            error <= QNetworkReply::UnknownContentError) ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

Reply transportFailure(int error, const QString& text) {
    Reply r;
    r.error = error;
    r.errorText = text;
    return r;
}

/// How a request ended when it did not end by itself.
enum class Cut { None, Silence, TooLarge };

Reply readReply(QNetworkReply* reply, Cut cut) {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const auto error = reply->error();
    Reply failed;
    if (cut == Cut::Silence)
        failed = transportFailure(QNetworkReply::TimeoutError,
                                  QStringLiteral("Tempo de espera esgotado"));
    else if (cut == Cut::TooLarge)
        failed = transportFailure(QNetworkReply::UnknownContentError,
                                  QStringLiteral("Resposta grande demais"));
    else if (status == 0 || (error != QNetworkReply::NoError && !isStatusError(error)))
        failed = transportFailure(
            error == QNetworkReply::NoError ? QNetworkReply::UnknownNetworkError : error,
            reply->errorString());
    if (failed.error != 0) {
        // An answer's head came: the server answered, though not wholly.
        failed.begun = status != 0;
        return failed;
    }
    Reply r;
    r.status = status;
    r.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    r.body = reply->readAll();
    return r;
}

} // namespace

QUrl serviceUrl(Service service, const QString& encodedPath) {
    QUrl url;
    if (testBase.isEmpty()) {
        url.setScheme(QStringLiteral("https"));
        url.setHost(host(service));
    } else {
        url = testBase;
    }
    url.setPath(encodedPath, QUrl::TolerantMode);
    // URLs decode an escaped dot, so a "." or ".." segment cannot be sent safely: refuse it.
    const QStringList segments = url.path().split(QLatin1Char('/'));
    if (segments.contains(QStringLiteral(".")) || segments.contains(QStringLiteral("..")))
        return QUrl();
    return url;
}

QString pathSegment(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

Reply get(const QUrl& url, const Headers& headers, qint64 maxBytes) {
    if (!url.isValid())
        return transportFailure(QNetworkReply::ProtocolInvalidOperationError,
                                QStringLiteral("Endereço inválido"));
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    // Follow a redirect only when it is as safe as the request (never HTTPS to HTTP).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);

    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QTimer silence;
    silence.setSingleShot(true);
    Cut cut = Cut::None;
    QObject::connect(&silence, &QTimer::timeout, &loop, [&] {
        cut = Cut::Silence;
        reply->abort();
    });
    // Any bytes that arrive restart the wait; an answer past the limit, announced or
    // received, is not read any further.
    QObject::connect(reply, &QNetworkReply::downloadProgress, &silence,
                     [&](qint64 received, qint64 total) {
                         if (received > maxBytes || total > maxBytes) {
                             cut = Cut::TooLarge;
                             reply->abort();
                             return;
                         }
                         silence.start();
                     });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    silence.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    silence.stop();
    if (cut == Cut::None && reply->bytesAvailable() > maxBytes)
        cut = Cut::TooLarge;

    Reply result = readReply(reply, cut);
    delete reply;
    return result;
}

void setTestBase(const QUrl& base) {
    testBase = base;
}

void setTimeout(int milliseconds) {
    timeoutMs = milliseconds;
}

} // namespace vtx::Web
