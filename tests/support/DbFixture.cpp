// The database fixture: reads where the scripts started the server.
#include "DbFixture.h"

#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>

#include "Recordset.h"
#include "Session.h"

namespace vtx::test {

QString testConnectionString() {
    QFile file(QStringLiteral(VTX_SOURCE_DIR "/var/db/test.conf"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString port, user, password, database;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString l = QString::fromUtf8(line).trimmed();
        const qsizetype eq = l.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = l.left(eq), value = l.mid(eq + 1);
        if (key == QLatin1String("port"))
            port = value;
        else if (key == QLatin1String("user"))
            user = value;
        else if (key == QLatin1String("password"))
            password = value;
        else if (key == QLatin1String("database"))
            database = value;
    }
    return QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=127.0.0.1;Port=%1;"
                          "Database=%2;User=%3;Password=%4;Option=3;")
        .arg(port, database, user, password);
}

QString uniqueInstallation() {
    return QStringLiteral("T%1%2").arg(getpid()).arg(
        QRandomGenerator::global()->bounded(100000, 999999));
}

void deleteInstallation(Connection& connection, const QString& idlic) {
    Recordset tables = connection.query(
        QStringLiteral("select table_name from information_schema.columns "
                       "where table_schema = database() and column_name = 'idlic'"));
    for (tables.moveFirst(); !tables.eof(); tables.moveNext())
        connection.execute(QStringLiteral("delete from %1 where idlic = ?")
                               .arg(tables.value(tables.position(), 0).toString()),
                           {idlic});
}

void DbFixture::SetUp() {
    const QString cs = testConnectionString();
    ASSERT_FALSE(cs.isEmpty()) << "no test database: run ./scripts/test";
    ASSERT_NO_THROW(db.open(cs)) << "the test database server is not running";
    gStrConexao = cs;
    gIdLic = uniqueInstallation();
    gUsuario = QStringLiteral("TESTE");
}

QString DbFixture::insert(const QString& table, const QStringList& columns, const Params& values) {
    QStringList marks{QStringLiteral("?")};
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    Params all{gIdLic};
    all.insert(all.end(), values.begin(), values.end());
    db.execute(
        QStringLiteral("insert into %1 (idlic, %2) values (%3)")
            .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
        all);
    return QString::number(db.lastInsertId());
}

void DbFixture::TearDown() {
    if (gConexao().isOpen())
        gConexao().close();
    if (db.isOpen())
        deleteInstallation(db, gIdLic);
}

} // namespace vtx::test
