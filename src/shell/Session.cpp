// Session values that need code.
#include "Session.h"

namespace vtx {

Connection& gConexao() {
    static Connection connection;
    return connection;
}

Connection& conexaoAberta() {
    Connection& c = gConexao();
    if (!c.isOpen())
        c.open(gStrConexao);
    return c;
}

QString connectionString(const QString& server, const QString& database, const QString& user,
                         const QString& password) {
    return QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=") + server +
           QStringLiteral(";Database=") + database + QStringLiteral(";User=") + user +
           QStringLiteral(";Password=") + password + QStringLiteral(";Option=3;");
}

QString mainCaption() {
    return QStringLiteral("Vertalumex 1.0 - Lic.: ") + gIdLic;
}

} // namespace vtx
