// The database fixture: reads where ./scripts/test made the tests' server.
#include "DbFixture.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QThread>

#include "Recordset.h"
#include "Session.h"
#include "TestConf.h"

namespace vtx::test {

namespace {

const TestConf& testConf() {
    static const TestConf conf =
        readTestConf(QStringLiteral("the database tests"), QStringLiteral("./scripts/test"));
    return conf;
}

} // namespace

QString testSetting(const QString& key) {
    const TestConf& conf = testConf();
    if (!conf.problem.isEmpty()) {
        ADD_FAILURE() << qPrintable(conf.problem);
        return QString();
    }
    const auto found = conf.values.find(key);
    return found == conf.values.end() ? QString() : found->second;
}

QString testConnectionString() {
    const QString port = testSetting(QStringLiteral("port"));
    if (port.isEmpty())
        return QString();
    return connectionString(
        QStringLiteral("127.0.0.1;Port=") + port, testSetting(QStringLiteral("database")),
        testSetting(QStringLiteral("user")), testSetting(QStringLiteral("password")));
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
    ASSERT_TRUE(testConf().problem.isEmpty()) << qPrintable(testConf().problem);
    const QString cs = testConnectionString();
    ASSERT_FALSE(cs.isEmpty()) << "VTX_TEST_CONF names no port: run ./scripts/test";
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

void DbFixture::endSession(Connection& connection) {
    connection.setIdleBeforeCheck(kNeverChecked);
    const QVariant session = connection.query(QStringLiteral("select connection_id()")).value(0, 0);
    db.execute(QStringLiteral("kill connection ?"), {session});
    waitUntilEnded({session});
}

void DbFixture::waitUntilEnded(const QVariantList& sessions) {
    const QString listed =
        QStringLiteral("select id from information_schema.processlist where id in (%1)")
            .arg(QStringList(sessions.size(), QStringLiteral("?")).join(u','));
    const Params ids(sessions.begin(), sessions.end());
    const QDeadlineTimer limit(std::chrono::minutes(1));
    while (!db.query(listed, ids).isEmpty()) {
        if (limit.hasExpired()) {
            ADD_FAILURE() << "a killed session is still in the server's process list";
            return;
        }
        QThread::msleep(20);
    }
}

void DbFixture::TearDown() {
    if (gConexao().isOpen())
        gConexao().close();
    if (db.isOpen())
        deleteInstallation(db, gIdLic);
}

} // namespace vtx::test
