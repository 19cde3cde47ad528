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
constexpr long kServerLostExtended = 2055;

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
    return m_nativeCode == kServerGone || m_nativeCode == kServerLost ||
           m_nativeCode == kServerLostExtended || m_sqlState == QLatin1String("08S01") ||
           m_sqlState == QLatin1String("08007");
}

QString DbError::message() const {
    QString told;
    if (loginRefused())
        told = QStringLiteral("O SERVIDOR DE BANCO DE DADOS RECUSOU O USUÁRIO OU A SENHA.");
    else if (serverUnreachable())
        told = QStringLiteral("NÃO FOI POSSÍVEL CONECTAR AO SERVIDOR DE BANCO DE DADOS.");
    else if (linkLost())
        told = QStringLiteral("A CONEXÃO COM O SERVIDOR DE BANCO DE DADOS FOI PERDIDA.");
    else
        return m_text;
    if (m_saveOutcome == SaveOutcome::NothingSaved)
        told += QStringLiteral(" NADA FOI GRAVADO.");
    else if (m_saveOutcome == SaveOutcome::Unknown)
        told += QStringLiteral(" NÃO SE SABE SE FOI GRAVADO: CONFIRA ANTES DE TENTAR NOVAMENTE.");
    return told + QStringLiteral(" (") + m_text + QLatin1Char(')');
}

} // namespace vtx
