// The session state that every form reads: installation key, user, connection and the
// values through which modal dialogs hand their results back.
#pragma once

#include <QString>
#include <QVariant>

#include "Connection.h"

namespace vtx {

inline QString gArquivoINI;
inline QString gLogado;
inline QString gUsuario;
inline QString gLoginOK;
inline QString gIdLic;
inline QString gServidor;
inline QString gBanco;
inline QString gUserBco;
inline QString gSenhaBco;
inline QString gStrConexao;
inline QVariant gRetorno;
inline QString gDocFormatado;
inline QVariant gCodBusca;
inline QString gNomeBusca;
inline QString gConfirma;
inline QString gArquivoPDF;
inline QString gArquivoTXT;

/// The one shared connection, created on first use; closed until a form opens it.
Connection& gConexao();
/// Opens the shared connection with gStrConexao when it is closed; throws DbError.
Connection& conexaoAberta();

/// The ODBC connection string. The server goes in as it was read from the settings file (it
/// may carry ";Port="); the database, user and password go in braces when they would
/// otherwise be split or cut.
QString connectionString(const QString& server, const QString& database, const QString& user,
                         const QString& password);

/// The main window's caption after start-up: "Vertalumex 1.0 - Lic.: " and the key.
QString mainCaption();

} // namespace vtx
