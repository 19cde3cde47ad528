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

namespace {

/// A value as the driver reads it back: in braces, a '}' inside doubled, when it holds a ';'
/// or a brace, or blanks at either end; any other value as it stands.
QString odbcValue(const QString& value) {
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) &&
                       !value.contains(QLatin1Char('}')) &&
                       (value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace()));
    if (plain)
        return value;
    QString inner = value;
    inner.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

} // namespace

QString connectionString(const QString& server, const QString& database, const QString& user,
                         const QString& password) {
    return QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=") + server +
           QStringLiteral(";Database=") + odbcValue(database) + QStringLiteral(";User=") +
           odbcValue(user) + QStringLiteral(";Password=") + odbcValue(password) +
           QStringLiteral(";Option=3;");
}

QString mainCaption() {
    return QStringLiteral("Vertalumex 1.0 - Lic.: ") + gIdLic;
}

} // namespace vtx
