// The database layer against the real server: text, NULL, decimals, dates, transactions.
#include <chrono>
#include <thread>

#include <QDate>
#include <QRegularExpression>

#include "DbError.h"
#include "DbFixture.h"
#include "Decimal.h"
#include "Recordset.h"

namespace vtx::test {
namespace {

class ConnectionTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        db.execute(QStringLiteral("create temporary table t (id int auto_increment primary key, "
                                  "nome varchar(60), valor decimal(12,2), dia date, obs text)"));
    }
};

TEST_F(ConnectionTest, TextSurvivesBothWays) {
    const QStringList samples = {QStringLiteral("JOÃO D'ÁVILA"), QStringLiteral("Ç ã é ü"),
                                 QStringLiteral("barra \\ e aspas \" '"), QStringLiteral("")};
    for (const QString& s : samples)
        db.execute(QStringLiteral("insert into t (nome) values (?)"), {s});
    Recordset rs = db.query(QStringLiteral("select nome from t order by id"));
    ASSERT_EQ(rs.recordCount(), samples.size());
    for (int i = 0; i < samples.size(); ++i, rs.moveNext())
        EXPECT_EQ(rs.text(QStringLiteral("nome")), samples[i]);
    // A bound value is compared as text, never as part of the statement.
    Recordset found = db.query(QStringLiteral("select id from t where nome = ?"),
                               {QStringLiteral("JOÃO D'ÁVILA")});
    EXPECT_EQ(found.recordCount(), 1);
    // The server holds the characters themselves, not a double encoding of them.
    Recordset stored = db.query(QStringLiteral("select char_length(nome) n, hex(nome) h from t "
                                               "where id = 2"));
    EXPECT_EQ(stored.value(QStringLiteral("n")).toInt(), 7);
    EXPECT_TRUE(stored.text(QStringLiteral("h")).startsWith(QStringLiteral("C38720C3A3")));
}

TEST_F(ConnectionTest, NullDecimalAndDateRoundTrip) {
    db.execute(QStringLiteral("insert into t (nome, valor, dia) values (?, ?, ?)"),
               {QVariant(), QVariant::fromValue(Decimal(123450, 2)), QDate(2026, 2, 28)});
    Recordset rs = db.query(QStringLiteral("select nome, valor, dia, obs from t"));
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_TRUE(rs.isNull(QStringLiteral("nome")));
    EXPECT_EQ(rs.text(QStringLiteral("NOME")), QString());
    EXPECT_EQ(rs.value(QStringLiteral("valor")).value<Decimal>(), Decimal(123450, 2));
    EXPECT_EQ(rs.value(QStringLiteral("valor")).value<Decimal>().toString(),
              QStringLiteral("1234.50"));
    // Read as text or as a number, a decimal gives its value, not an empty text or zero.
    EXPECT_EQ(rs.text(QStringLiteral("valor")), QStringLiteral("1234.50"));
    EXPECT_EQ(rs.value(QStringLiteral("valor")).toDouble(), 1234.5);
    // The server sums whole numbers as a decimal; read as a number it is still the sum.
    db.execute(QStringLiteral("insert into t (id) values (?), (?)"), {40, 2});
    Recordset sum = db.query(QStringLiteral("select sum(id) s from t where id >= ?"), {2});
    EXPECT_EQ(sum.value(QStringLiteral("s")).toInt(), 42);
    EXPECT_EQ(sum.value(QStringLiteral("s")).toLongLong(), 42);
    EXPECT_EQ(rs.value(QStringLiteral("dia")).toDate(), QDate(2026, 2, 28));
    EXPECT_THROW(rs.value(QStringLiteral("nada")), UsageError);
}

TEST_F(ConnectionTest, LongTextIsReadWhole) {
    const QString longText = QString(10000, QChar(0x00E7));
    db.execute(QStringLiteral("insert into t (obs) values (?)"), {longText});
    Recordset rs = db.query(QStringLiteral("select obs from t"));
    EXPECT_EQ(rs.text(QStringLiteral("obs")), longText);
}

TEST_F(ConnectionTest, RolledBackTransactionLeavesNoRow) {
    {
        Transaction tx(db);
        db.execute(QStringLiteral("insert into t (nome) values (?)"), {QStringLiteral("A")});
    }
    EXPECT_EQ(db.query(QStringLiteral("select * from t")).recordCount(), 0);
    EXPECT_FALSE(db.inTransaction());
}

TEST_F(ConnectionTest, FailureInsideTransactionLeavesNothingHalfWritten) {
    try {
        Transaction tx(db);
        db.execute(QStringLiteral("insert into t (nome) values (?)"), {QStringLiteral("A")});
        db.execute(QStringLiteral("insert into t (id, nome) values (?, ?)"),
                   {QStringLiteral("x"), QStringLiteral("B")});
        db.execute(QStringLiteral("insert into nao_existe values (1)"));
        tx.commit();
        FAIL() << "the bad statement did not fail";
    } catch (const DbError& e) {
        EXPECT_NE(e.nativeCode(), 0);
        EXPECT_FALSE(e.text().isEmpty());
    }
    EXPECT_EQ(db.query(QStringLiteral("select * from t")).recordCount(), 0);
}

TEST_F(ConnectionTest, RecordsetAddsAndChangesRows) {
    Recordset rs = db.query(QStringLiteral("select id, nome, valor from t"));
    rs.setUpdateTarget(&db, QStringLiteral("t"), {QStringLiteral("id")}, QStringLiteral("id"));
    rs.addNew();
    rs.setValue(QStringLiteral("nome"), QStringLiteral("D'ÁVILA"));
    EXPECT_EQ(rs.update(), 1);
    const qlonglong id = rs.value(QStringLiteral("id")).toLongLong();
    EXPECT_GT(id, 0);
    rs.setValue(QStringLiteral("valor"), QVariant::fromValue(Decimal(1250, 2)));
    EXPECT_EQ(rs.update(), 1);
    Recordset check = db.query(QStringLiteral("select nome, valor from t where id = ?"), {id});
    EXPECT_EQ(check.text(QStringLiteral("nome")), QStringLiteral("D'ÁVILA"));
    EXPECT_EQ(check.value(QStringLiteral("valor")).value<Decimal>(), Decimal(125, 1));

    // A row added with a code of its own keeps that code.
    rs.addNew();
    rs.setValue(QStringLiteral("id"), 500);
    rs.setValue(QStringLiteral("nome"), QStringLiteral("COM CÓDIGO"));
    EXPECT_EQ(rs.update(), 1);
    EXPECT_EQ(rs.value(QStringLiteral("id")).toLongLong(), 500);
}

TEST_F(ConnectionTest, DateOrMomentThatIsNoneIsStoredAsNull) {
    db.execute(QStringLiteral("create temporary table m (dia date, momento datetime)"));
    db.execute(QStringLiteral("insert into m (dia, momento) values (?, ?)"),
               {QDate(), QDateTime()});
    Recordset rs = db.query(QStringLiteral("select dia, momento from m"));
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_TRUE(rs.isNull(QStringLiteral("dia"))) << rs.text(QStringLiteral("dia")).toStdString();
    EXPECT_TRUE(rs.isNull(QStringLiteral("momento")));
}

TEST_F(ConnectionTest, BytesRoundTripUnchanged) {
    db.execute(QStringLiteral("create temporary table b (dados blob)"));
    QByteArray bytes("\x00\x80\xff\xc3(%PDF", 10);
    bytes.append(QByteArray(5000, '\xfe'));
    db.execute(QStringLiteral("insert into b (dados) values (?)"), {bytes});
    Recordset rs = db.query(QStringLiteral("select dados, length(dados) n from b"));
    EXPECT_EQ(rs.value(QStringLiteral("n")).toInt(), bytes.size());
    EXPECT_EQ(rs.value(QStringLiteral("dados")).toByteArray(), bytes);
}

TEST_F(ConnectionTest, SessionsReadCommittedSoNeighbouringSavesDoNotDeadlock) {
    Recordset rs = db.query(QStringLiteral("select @@session.tx_isolation i"));
    EXPECT_EQ(rs.text(QStringLiteral("i")), QStringLiteral("READ-COMMITTED"));
}

TEST_F(ConnectionTest, ALostLinkClosesTheConnectionSoItCanBeOpenedAgain) {
    Connection other;
    other.open(testConnectionString());
    endSession(other);
    try {
        other.query(QStringLiteral("select 1"));
        FAIL() << "a killed connection still answered";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.linkLost()) << e.nativeCode() << " " << e.text().toStdString();
    }
    EXPECT_FALSE(other.isOpen());
    other.open(testConnectionString());
    EXPECT_EQ(other.query(QStringLiteral("select 1")).value(0, 0).toInt(), 1);
}

/// How many statements the server has prepared for this session.
long long prepares(Connection& c) {
    return c
        .query(QStringLiteral("select variable_value from information_schema.session_status "
                              "where variable_name = 'COM_STMT_PREPARE'"))
        .value(0, 0)
        .toLongLong();
}

TEST_F(ConnectionTest, AStatementRunAgainIsNotPreparedAgain) {
    const QString insert = QStringLiteral("insert into t (nome) values (?)");
    prepares(db);
    const long long before = prepares(db);
    for (int i = 0; i < 5; ++i)
        db.execute(insert, {QStringLiteral("N%1").arg(i)});
    EXPECT_EQ(db.query(QStringLiteral("select count(*) from t")).value(0, 0).toInt(), 5);
    // The insert and the count once each; the status query was kept from before.
    EXPECT_EQ(prepares(db) - before, 2);

    // A kept select whose table changes shape is prepared anew, and reads the new columns.
    const QString all = QStringLiteral("select * from t order by id");
    EXPECT_EQ(db.query(all).columns().size(), 5);
    db.execute(QStringLiteral("alter table t add column extra int default 7"));
    Recordset rs = db.query(all);
    ASSERT_EQ(rs.columnIndex(QStringLiteral("extra")), 5);
    EXPECT_EQ(rs.value(0, 5).toInt(), 7);
    EXPECT_EQ(db.query(QStringLiteral("select 1")).value(0, 0).toInt(), 1);
}

TEST_F(ConnectionTest, AKeptWriteAfterALostLinkFailsOnceAndIsNeverRetried) {
    Connection other;
    other.open(testConnectionString());
    const QString insert = QStringLiteral("insert into kept (id) values (?)");
    other.execute(QStringLiteral("create table if not exists kept (id int primary key)"));
    other.execute(QStringLiteral("delete from kept"));
    other.execute(insert, {1});
    endSession(other);
    try {
        other.execute(insert, {2});
        FAIL() << "a write on a killed connection succeeded";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.linkLost()) << e.nativeCode() << " " << e.text().toStdString();
    }
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ(db.query(QStringLiteral("select count(*) from kept")).value(0, 0).toInt(), 1);
    // Opened again, the statement is prepared anew on the new link.
    other.open(testConnectionString());
    EXPECT_EQ(other.execute(insert, {2}), 1);
    EXPECT_EQ(db.query(QStringLiteral("select count(*) from kept")).value(0, 0).toInt(), 2);
    db.execute(QStringLiteral("drop table kept"));
}

// A program left open while the server drops its links: the next statements find the link
// opened again, checked first, else once the statement found it gone, unless the session held
// what a new one would lose.
TEST_F(ConnectionTest, ALinkDroppedWhileIdleIsOpenedAgainUnlessTheSessionHeldSomething) {
    db.execute(QStringLiteral("create table if not exists idle_w (id int)"));
    db.execute(QStringLiteral("delete from idle_w"));
    Connection checked, unchecked, locking, inTransaction;
    for (Connection* c : {&checked, &locking, &inTransaction})
        c->setIdleBeforeCheck(std::chrono::milliseconds(0));
    unchecked.setIdleBeforeCheck(kNeverChecked);
    auto session = [](Connection& c) {
        return c.query(QStringLiteral("select connection_id() id")).value(0, 0);
    };
    QVariantList sessions;
    for (Connection* c : {&checked, &unchecked, &locking, &inTransaction}) {
        c->open(testConnectionString());
        sessions << session(*c);
    }
    const Connection::SessionHold held = locking.holdSession();
    inTransaction.beginTransaction();
    // A killed link fails during the next statement (2013), which never runs again: only the
    // check saves it. A link the server dropped by its wait_timeout is found gone before the
    // statement is sent (2006), so the statement can run on a new link.
    unchecked.execute(QStringLiteral("set session wait_timeout = 1"));
    for (const QVariant& id : {sessions[0], sessions[2], sessions[3]})
        db.execute(QStringLiteral("kill connection ?"), {id});
    waitUntilEnded(sessions);
    const QString insert = QStringLiteral("insert into idle_w (id) values (?)");

    // Checked first: the link found dead is opened again before the statement.
    EXPECT_EQ(checked.query(QStringLiteral("select 1")).value(0, 0).toInt(), 1);
    EXPECT_EQ(checked.execute(insert, {1}), 1);
    // Never checked first: the statement that finds the link gone runs on a new one.
    EXPECT_EQ(unchecked.execute(insert, {2}), 1);
    EXPECT_NE(session(unchecked), sessions[1]);
    for (Connection* c : {&locking, &inTransaction}) {
        EXPECT_THROW(c->execute(insert, {3}), DbError);
        EXPECT_FALSE(c->isOpen());
    }
    EXPECT_EQ(db.query(QStringLiteral("select group_concat(id order by id) ids from idle_w"))
                  .text(QStringLiteral("ids")),
              QStringLiteral("1,2"));
    db.execute(QStringLiteral("drop table idle_w"));
}

TEST_F(ConnectionTest, ABatchWritesAllItsRowsOrNone) {
    const QString insert = QStringLiteral("insert into t (id, nome) values (?, ?)");
    std::vector<Params> rows;
    for (int i = 1; i <= 8; ++i)
        rows.push_back({i, QStringLiteral("D'ÁVILA %1").arg(i)});
    rows[4][0] = 1; // the fifth row repeats the first one's key
    auto count = [&] { return db.query(QStringLiteral("select count(*) from t")).value(0, 0); };
    try {
        db.executeBatch(insert, rows);
        FAIL() << "a batch with a repeated key was written";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.duplicateKey()) << e.text().toStdString();
    }
    EXPECT_EQ(count().toInt(), 0);
    EXPECT_FALSE(db.inTransaction());
    {
        Transaction tx(db);
        EXPECT_THROW(db.executeBatch(insert, rows), DbError);
    }
    EXPECT_EQ(count().toInt(), 0);

    rows[4][0] = 5;
    {
        Transaction tx(db);
        EXPECT_EQ(db.executeBatch(insert, rows), 8);
        tx.commit();
    }
    // The rows each statement touched, added up; a row touching none counts none.
    EXPECT_EQ(db.executeBatch(QStringLiteral("update t set valor = ? where id <= ?"),
                              {{QVariant::fromValue(Decimal(1, 0)), 3},
                               {QVariant::fromValue(Decimal(25, 1)), 0},
                               {QVariant(), 2}}),
              5);
    EXPECT_EQ(db.query(QStringLiteral("select count(*) from t where nome like 'D''ÁVILA %' "
                                      "and valor = 1"))
                  .value(0, 0)
                  .toInt(),
              1);
    EXPECT_THROW(db.executeBatch(insert, {{9, QStringLiteral("A")}, {10}}), UsageError);
    EXPECT_EQ(db.executeBatch(insert, {}), 0);
}

TEST_F(ConnectionTest, ABatchTooLargeForOneWriteGoesInSeveralAndCountsThemAll) {
    const QString text = QString(30000, QChar(0x00E7));
    const QString insert = QStringLiteral("insert into t (id, obs) values (?, ?)");
    std::vector<Params> rows;
    for (int i = 0; i < 100; ++i)
        rows.push_back({i + 1, text + QString::number(i)});
    // The last row repeats a key: the runs written before it go back too.
    rows.back()[0] = 1;
    EXPECT_THROW(db.executeBatch(insert, rows), DbError);
    // A row short of values in the last run is refused before anything is written.
    rows.back() = {100};
    EXPECT_THROW(db.executeBatch(insert, rows), UsageError);
    EXPECT_EQ(db.query(QStringLiteral("select count(*) from t")).value(0, 0).toInt(), 0);

    rows.back() = {100, text + QStringLiteral("99")};
    EXPECT_EQ(db.executeBatch(insert, rows), 100);
    Recordset rs =
        db.query(QStringLiteral("select count(*), sum(char_length(obs)), max(obs = ?) from t"),
                 {text + u'7'});
    EXPECT_EQ(rs.value(0, 0).toInt(), 100);
    EXPECT_EQ(rs.value(0, 1).toLongLong(), 100 * 30000 + 10 + 90 * 2);
    EXPECT_EQ(rs.value(0, 2).toInt(), 1);
}

TEST(ConnectionOpen, BadPasswordGivesDriverNumberAndText) {
    QString cs = testConnectionString();
    ASSERT_FALSE(cs.isEmpty());
    cs.replace(QRegularExpression(QStringLiteral("Password=[^;]*;")),
               QStringLiteral("Password=errada;"));
    Connection c;
    try {
        c.open(cs);
        FAIL() << "opened with a wrong password";
    } catch (const DbError& e) {
        EXPECT_EQ(e.nativeCode(), 1045);
        EXPECT_TRUE(e.text().contains(QStringLiteral("Access denied"))) << e.text().toStdString();
    }
    EXPECT_FALSE(c.isOpen());
}

// The failures told in words of their own, by number and state; any other keeps the driver's
// text, the program's own refusals (number 0) too.
TEST(DbErrorMessage, TellsRefusedUnreachableAndLostLinksInPortuguese) {
    const QString refused =
        QStringLiteral("O SERVIDOR DE BANCO DE DADOS RECUSOU O USUÁRIO OU A SENHA.");
    const QString unreachable =
        QStringLiteral("NÃO FOI POSSÍVEL CONECTAR AO SERVIDOR DE BANCO DE DADOS.");
    const QString lost = QStringLiteral("A CONEXÃO COM O SERVIDOR DE BANCO DE DADOS FOI PERDIDA.");
    const QString nothing = QStringLiteral(" NADA FOI GRAVADO.");
    const QString unknown =
        QStringLiteral(" NÃO SE SABE SE FOI GRAVADO: CONFIRA ANTES DE TENTAR NOVAMENTE.");
    const struct {
        long native;
        const char* state;
        SaveOutcome outcome;
        QString told;
    } rows[] = {
        {1045, "28000", SaveOutcome::None, refused},
        {2002, "HY000", SaveOutcome::None, unreachable},
        {2005, "HY000", SaveOutcome::None, unreachable},
        {2003, "HY000", SaveOutcome::NothingSaved, unreachable + nothing},
        {2013, "08S01", SaveOutcome::None, lost},
        {2013, "08S01", SaveOutcome::NothingSaved, lost + nothing},
        {2006, "HY000", SaveOutcome::Unknown, lost + unknown},
        {0, "08S01", SaveOutcome::None, lost},
        // A TLS link lost or timed out, a network write that failed, a link lost mid-packet.
        {2026, "HY000", SaveOutcome::Unknown, lost + unknown},
        {5014, "HY000", SaveOutcome::NothingSaved, lost + nothing},
        {2055, "HY000", SaveOutcome::None, lost},
        {0, "HY000", SaveOutcome::NothingSaved, QString()},
        {0, "IM002", SaveOutcome::None, QString()},
        {1044, "42000", SaveOutcome::None, QString()},
        {1062, "23000", SaveOutcome::None, QString()},
    };
    const QString text = QStringLiteral("[ma-3.1.15]driver text");
    for (const auto& r : rows) {
        DbError e(r.native, QString::fromLatin1(r.state), text);
        e.setSaveOutcome(r.outcome);
        EXPECT_EQ(e.message(),
                  r.told.isEmpty() ? text : r.told + QStringLiteral(" (") + text + u')')
            << r.native << " " << r.state;
    }
}

// What a lost link left of the save under way: a reading says nothing of one; in a transaction
// the server dropped it; a commit, or a write of its own that reached the server, may be done.
TEST_F(ConnectionTest, ALostLinkTellsWhatItLeftOfTheSaveUnderWay) {
    db.execute(QStringLiteral("create table if not exists lost_w (id int)"));
    db.execute(QStringLiteral("delete from lost_w"));
    const QString insert = QStringLiteral("insert into lost_w (id) values (?)");
    const auto failure = [](const std::function<void()>& step) {
        try {
            step();
        } catch (const DbError& e) {
            return std::optional<DbError>(e);
        }
        return std::optional<DbError>();
    };
    Connection c;
    c.open(testConnectionString());
    endSession(c);
    const auto read = failure([&] { c.query(QStringLiteral("select 1")); });
    ASSERT_TRUE(read && read->linkLost());
    EXPECT_EQ(read->saveOutcome(), SaveOutcome::None);

    // The link cut in a transaction that has written a row, before the next step.
    const auto cutInTransaction = [&](const std::function<void()>& next) {
        c.open(testConnectionString());
        c.beginTransaction();
        c.execute(insert, {1});
        endSession(c);
        return failure(next);
    };
    const auto statement = cutInTransaction([&] { c.execute(insert, {2}); });
    ASSERT_TRUE(statement && statement->linkLost());
    EXPECT_EQ(statement->saveOutcome(), SaveOutcome::NothingSaved);
    const auto commit = cutInTransaction([&] { c.commit(); });
    ASSERT_TRUE(commit && commit->linkLost());
    // Only a link the client found gone before it sent the commit says it was not sent.
    EXPECT_EQ(commit->saveOutcome(),
              commit->nativeCode() == 2006 ? SaveOutcome::NothingSaved : SaveOutcome::Unknown);

    // A write sent and waiting at the server for a lock when its link is cut.
    c.open(testConnectionString());
    c.setIdleBeforeCheck(kNeverChecked);
    const QVariant session = c.query(QStringLiteral("select connection_id()")).value(0, 0);
    db.query(QStringLiteral("select get_lock('lost_w', 60)"));
    std::thread cutter([&] {
        Connection watcher;
        watcher.open(testConnectionString());
        const QString waiting = QStringLiteral(
            "select id from information_schema.processlist where id = ? and state = 'User lock'");
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(50);
        while (watcher.query(waiting, {session}).isEmpty() &&
               std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        watcher.execute(QStringLiteral("kill connection ?"), {session});
    });
    const auto sent = failure([&] {
        c.execute(QStringLiteral("insert into lost_w (id) select 4 from dual where "
                                 "get_lock('lost_w', 60)"));
    });
    cutter.join();
    waitUntilEnded({session});
    db.query(QStringLiteral("select release_lock('lost_w')"));
    ASSERT_TRUE(sent && sent->linkLost());
    EXPECT_EQ(sent->saveOutcome(), SaveOutcome::Unknown);
    EXPECT_EQ(db.query(QStringLiteral("select count(*) from lost_w")).value(0, 0).toInt(), 0);
    db.execute(QStringLiteral("drop table lost_w"));
}

} // namespace
} // namespace vtx::test
