// Postal-code lookup (XML answer), company-registry lookup (JSON answer) and the reading of
// one value from a JSON answer.
#include "WebLookups.h"

#include <cctype>

#include <QXmlStreamReader>

#include "Prompter.h"
#include "WebRequest.h"

namespace vtx {

namespace {

/// The web-service failure box the lookups show.
void showFailure(const Web::Reply& reply) {
    const QString cause = reply.answered()
                              ? QString::number(reply.status) + QLatin1Char(' ') + reply.reason
                              : QString::number(reply.error) + QLatin1Char(' ') + reply.errorText;
    msgBox(cause + QStringLiteral("\nCONEXÃO COM A INTERNET E/OU WEBSERVICE FALHOU!"),
           QStringLiteral("Atenção"), MsgIcon::Information);
}

/// The fields of a postal-code answer.
struct Address {
    QString streetType, streetName, street, district, city, state, code;

    QString* field(QStringView element) {
        if (element == u"logradouro")
            return &streetName;
        if (element == u"tipo_logradouro")
            return &streetType;
        if (element == u"bairro")
            return &district;
        if (element == u"localidade" || element == u"cidade")
            return &city;
        if (element == u"uf")
            return &state;
        if (element == u"ibge")
            return &code;
        return nullptr;
    }

    QString joined() const {
        return QStringList{street, district, city, state, code}.join(QLatin1Char('|'));
    }
};

/// Elements nested deeper than this make the answer unreadable.
constexpr int kMaxAddressDepth = 32;

/// Reads the root element's children in order, each with the text of everything inside it.
/// An element without text leaves its field as it was; an answer that is no well-formed
/// document, or is nested past the limit, leaves every field empty.
Address readAddress(const QByteArray& xml) {
    QXmlStreamReader reader(xml);
    Address a;
    int depth = 0;
    QString* target = nullptr;
    QString text;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxAddressDepth)
                return {};
            if (depth == 2) {
                target = a.field(reader.name());
                text.clear();
            }
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            if (depth >= 2)
                text += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            if (depth-- == 2) {
                if (target && !text.isEmpty())
                    *target = text.toUpper();
                a.street = a.streetType + QLatin1Char(' ') + a.streetName;
            }
            break;
        default:
            break;
        }
    }
    return reader.hasError() ? Address{} : a;
}

qsizetype skipBlanks(const QString& s, qsizetype i) {
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\r' || s[i] == u'\n'))
        ++i;
    return i;
}

bool isHex4(const QString& s, qsizetype i) {
    if (i + 4 > s.size())
        return false;
    for (qsizetype k = i; k < i + 4; ++k)
        if (!std::isxdigit(s[k].unicode() < 128 ? s[k].unicode() : 0))
            return false;
    return true;
}

/// Decodes the JSON string whose opening quote is at i; returns the index after the closing
/// quote, or -1 when the string is not closed.
qsizetype readString(const QString& s, qsizetype i, QString& out) {
    out.clear();
    for (++i; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"')
            return i + 1;
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= s.size())
            return -1;
        const QChar e = s[i];
        if (e == u'u' && isHex4(s, i + 1)) {
            out += QChar(s.mid(i + 1, 4).toUShort(nullptr, 16));
            i += 4;
        } else {
            static const QString from = QStringLiteral("bfnrt"), to = QStringLiteral("\b\f\n\r\t");
            const auto k = from.indexOf(e);
            out += k >= 0 ? to[k] : e;
        }
    }
    return -1;
}

/// The value that starts at i: a decoded string, or a bare scalar up to "," or "}".
QString readValue(const QString& s, qsizetype i) {
    if (i >= s.size() || s[i] == u'{' || s[i] == u'[')
        return {};
    if (s[i] == u'"') {
        QString text;
        return readString(s, i, text) < 0 ? QString() : text;
    }
    qsizetype end = i;
    while (end < s.size() && s[end] != u',' && s[end] != u'}')
        ++end;
    const QString bare = s.mid(i, end - i).trimmed();
    return bare == u"null" ? QString() : bare;
}

} // namespace

QString BuscaCEP(const QString& cep) {
    const Web::Reply reply = Web::get(
        Web::serviceUrl(Web::Service::PostalCode,
                        QStringLiteral("/ws/") + Web::pathSegment(cep) + QStringLiteral("/xml/")));
    if (reply.status != 200) {
        showFailure(reply);
        return {};
    }
    return readAddress(reply.body).joined();
}

QString ConsultaCNPJ(const QString& cnpj) {
    const Web::Reply reply = Web::get(Web::serviceUrl(
        Web::Service::CompanyRegistry, QStringLiteral("/v1/cnpj/") + Web::pathSegment(cnpj)));
    if (reply.status == 404)
        return QStringLiteral("404 Error");
    // Any other failure is an empty answer; the forms say the registry could not be read.
    if (reply.status != 200)
        return {};
    return QString::fromUtf8(reply.body);
}

QString ExtraiValorJSON(const QString& resposta, const QString& chave) {
    // Walk the text keeping the nesting depth; strings are read whole, so braces and keys
    // inside values never count. A member of the outer object is a string followed by ":".
    int depth = 0;
    QString name;
    for (qsizetype i = 0; i < resposta.size(); ++i) {
        const QChar c = resposta[i];
        if (c == u'{' || c == u'[') {
            ++depth;
        } else if (c == u'}' || c == u']') {
            --depth;
        } else if (c == u'"') {
            const qsizetype end = readString(resposta, i, name);
            if (end < 0)
                return {};
            const qsizetype colon = skipBlanks(resposta, end);
            if (depth == 1 && colon < resposta.size() && resposta[colon] == u':' && name == chave)
                return readValue(resposta, skipBlanks(resposta, colon + 1));
            i = end - 1;
        }
    }
    return {};
}

QString consultaCEPJson(const QString& cep) {
    const Web::Reply reply = Web::get(
        Web::serviceUrl(Web::Service::PostalCode,
                        QStringLiteral("/ws/") + Web::pathSegment(cep) + QStringLiteral("/json/")));
    return reply.status == 200 ? QString::fromUtf8(reply.body) : QString();
}

} // namespace vtx
