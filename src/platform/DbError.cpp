// The failures told to the user in words of their own.
#include "DbError.h"

namespace vtx {

namespace {

// The client's and the server's numbers (MariaDB Connector/ODBC gives them as native codes).
constexpr long kAccessDenied = 1045;
constexpr long kCannotConnect = 2002;
constexpr long kCannotConnectToHost = 2003;
constexpr long kUnknownHost = 2005;
constexpr long kServerGone = 2006;
constexpr long kServerLost = 2013;
// Every failure of a TLS link, at its opening (a wrong authority, a server without TLS) or
// later (a lost link, a time-out), comes as this number.
constexpr long kTlsFailure = 2026;
constexpr long kServerLostExtended = 2055;
constexpr long kNetworkWriteFailed = 5014;

} // namespace

bool DbError::loginRefused() const {
    return m_nativeCode == kAccessDenied || m_sqlState == QLatin1String("28000");
}

bool DbError::serverUnreachable() const {
    return m_nativeCode == kCannotConnect || m_nativeCode == kCannotConnectToHost ||
           m_nativeCode == kUnknownHost ||
           (m_sqlState == QLatin1String("08001") && m_nativeCode != 0);
}

bool DbError::linkLost() const {
    return m_sqlState.startsWith(QLatin1String("08")) || m_nativeCode == kServerGone ||
           m_nativeCode == kServerLost || m_nativeCode == kTlsFailure ||
           m_nativeCode == kServerLostExtended || m_nativeCode == kNetworkWriteFailed;
}

QString DbError::message() const {
    QString told;
    QString line;
    const QString seconds = QString::number(m_timedOutSeconds);
    if (loginRefused()) {
        told = QStringLiteral("O SERVIDOR DE BANCO DE DADOS RECUSOU O USUÁRIO OU A SENHA.");
        if (m_opening && m_authority.isEmpty())
            line = QStringLiteral("O SERVIDOR DA CLÍNICA PODE EXIGIR CONEXÃO SEGURA (TLS): CONFIRA "
                                  "A STRING DE CONEXÃO.");
    } else if (m_opening && m_nativeCode == kTlsFailure && !timedOut() && !m_authority.isEmpty()) {
        told = QStringLiteral("NÃO FOI POSSÍVEL ESTABELECER A CONEXÃO SEGURA (TLS) COM O "
                              "SERVIDOR. CONFIRA A AUTORIDADE: ") +
               m_authority;
    } else if (m_opening || serverUnreachable()) {
        told = QStringLiteral("NÃO FOI POSSÍVEL CONECTAR AO SERVIDOR DE BANCO DE DADOS.");
        if (timedOut())
            told += QStringLiteral(" O SERVIDOR NÃO RESPONDEU EM %1 SEGUNDOS.").arg(seconds);
    } else if (linkLost()) {
        told = timedOut()
                   ? QStringLiteral("O SERVIDOR DE BANCO DE DADOS NÃO RESPONDEU EM %1 "
                                    "SEGUNDOS.")
                         .arg(seconds)
                   : QStringLiteral("A CONEXÃO COM O SERVIDOR DE BANCO DE DADOS FOI PERDIDA.");
    } else {
        return m_text;
    }
    if (m_saveOutcome == SaveOutcome::NothingSaved)
        told += QStringLiteral(" NADA FOI GRAVADO.");
    else if (m_saveOutcome == SaveOutcome::Unknown)
        told += QStringLiteral(" NÃO SE SABE SE FOI GRAVADO: CONFIRA ANTES DE TENTAR NOVAMENTE.");
    told += QStringLiteral(" (") + m_text + QLatin1Char(')');
    return line.isEmpty() ? told : told + QLatin1Char('\n') + line;
}

} // namespace vtx
