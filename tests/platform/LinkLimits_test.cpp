// Waits on the server that give up: a stopped server told within the limit with what it left of
// the save and nothing doubled once it answers again, and a TLS link refused or lost told in
// Portuguese. Each on a server of the test's own, which it may stop.
#include <chrono>
#include <functional>
#include <optional>

#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include "DbError.h"
#include "DbFixture.h"
#include "LinkLimits.h"
#include "OwnServer.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::test {
namespace {

using namespace std::chrono_literals;

constexpr LinkLimits kShort{2s, 2s};

/// The failure of a step, if any, and how long the step took.
struct Attempt {
    std::optional<DbError> error;
    std::chrono::steady_clock::duration took;
};

Attempt attempt(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    Attempt a;
    try {
        step();
    } catch (const DbError& e) {
        a.error = e;
    }
    a.took = std::chrono::steady_clock::now() - start;
    return a;
}

/// Waits until the server has ended the session: what it still held of a statement sent before
/// the link was given up is done or undone by then.
void waitUntilEnded(Connection& watcher, const QVariant& session) {
    const QDeadlineTimer limit(1min);
    while (!watcher
                .query(QStringLiteral("select id from information_schema.processlist where id = ?"),
                       {session})
                .isEmpty()) {
        if (limit.hasExpired()) {
            ADD_FAILURE() << "the given-up session is still at the server";
            return;
        }
        QThread::msleep(20);
    }
}

// What a save that ran out the short limit with nothing sent or committed is told.
const QString kNothingWritten =
    QStringLiteral("O SERVIDOR DE BANCO DE DADOS NÃO RESPONDEU EM 2 SEGUNDOS. NADA FOI GRAVADO.");

std::string told(const DbError& e, const QString& what) {
    return (what + QStringLiteral(" (") + e.text() + u')').toStdString();
}

long long rows(Connection& c, const QString& ids) {
    return c.query(QStringLiteral("select count(*) from w where id in (%1)").arg(ids))
        .value(0, 0)
        .toLongLong();
}

class StoppedServer : public ::testing::TestWithParam<bool> {
protected:
    void TearDown() override {
        if (gConexao().isOpen())
            gConexao().close();
    }
};

// The server stopped while a save runs: the save gives up within the limit, told apart from a
// lost link by its time; a write of its own may still be applied and is applied once, a
// transaction's is not; the next action opens the link again and works. Stopped before the save,
// it fails the idle link's check within the limit, nothing sent.
TEST_P(StoppedServer, IsToldWithinTheLimitAndNothingIsDoubled) {
    OwnServer server(/*tls=*/GetParam());
    ASSERT_TRUE(server.problem().isEmpty()) << qPrintable(server.problem());
    setLinkLimits(kShort);
    gStrConexao = server.connectionString();
    Connection& c = conexaoAberta();
    c.setIdleBeforeCheck(kNeverChecked);
    c.execute(QStringLiteral("create table w (id int primary key)"));
    const QString insert = QStringLiteral("insert into w (id) values (?)");
    // Prepared now, the insert below is sent whole before the server is found stopped.
    c.execute(insert, {1});
    Connection watcher;
    watcher.open(server.connectionString());

    const QVariant own = c.query(QStringLiteral("select connection_id()")).value(0, 0);
    server.stop();
    const Attempt write = attempt([&] { c.execute(insert, {2}); });
    server.resume();
    ASSERT_TRUE(write.error) << "the write waited for the server";
    EXPECT_LT(write.took, 8s);
    EXPECT_EQ(
        write.error->message().toStdString(),
        told(*write.error,
             QStringLiteral("O SERVIDOR DE BANCO DE DADOS NÃO RESPONDEU EM 2 SEGUNDOS. NÃO SE "
                            "SABE SE FOI GRAVADO: CONFIRA ANTES DE TENTAR NOVAMENTE.")));
    EXPECT_FALSE(c.isOpen());
    waitUntilEnded(watcher, own);
    EXPECT_EQ(rows(watcher, QStringLiteral("2")), 1);

    Connection& again = conexaoAberta();
    again.setIdleBeforeCheck(kNeverChecked);
    Attempt inTransaction;
    QVariant session;
    {
        Transaction t(again);
        again.execute(insert, {3});
        session = again.query(QStringLiteral("select connection_id()")).value(0, 0);
        server.stop();
        inTransaction = attempt([&] {
            again.execute(insert, {4});
            t.commit();
        });
        server.resume();
    }
    ASSERT_TRUE(inTransaction.error) << "the transaction waited for the server";
    EXPECT_LT(inTransaction.took, 8s);
    EXPECT_EQ(inTransaction.error->message().toStdString(),
              told(*inTransaction.error, kNothingWritten));
    waitUntilEnded(watcher, session);
    EXPECT_EQ(rows(watcher, QStringLiteral("3, 4")), 0);

    EXPECT_EQ(conexaoAberta().execute(insert, {5}), 1);
    EXPECT_EQ(rows(watcher, QStringLiteral("1, 2, 3, 4, 5")), 3);

    // A link left idle is checked before the save: a server that does not answer the check is
    // told as the time-out it is, the save unsent, and is not waited on again through a new link.
    Connection& idle = conexaoAberta();
    idle.setIdleBeforeCheck(std::chrono::milliseconds(0));
    server.stop();
    const Attempt checked = attempt([&] { idle.execute(insert, {6}); });
    server.resume();
    ASSERT_TRUE(checked.error) << "the save waited for the server";
    EXPECT_LT(checked.took, 4s);
    EXPECT_EQ(checked.error->message().toStdString(), told(*checked.error, kNothingWritten));
    EXPECT_FALSE(idle.isOpen());
    EXPECT_EQ(rows(watcher, QStringLiteral("6")), 0);
}

INSTANTIATE_TEST_SUITE_P(Link, StoppedServer, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OverTls" : "Plain";
                         });

// Over TLS, as every clinic workstation links: an authority the workstation lacks, the TLS keys
// dropped from the settings against an account that requires TLS, and the service stopped
// under an open link, each told in Portuguese; the lost link is closed at once.
TEST(OverTls, ARefusedOrLostSecureLinkIsToldInPortuguese) {
    OwnServer server(/*tls=*/true);
    ASSERT_TRUE(server.problem().isEmpty()) << qPrintable(server.problem());
    Connection c;
    const QString missing = server.authority() + QStringLiteral(".outra");
    const Attempt authority = attempt([&] {
        c.open(server.connectionString(server.serverText().replace(server.authority(), missing)));
    });
    ASSERT_TRUE(authority.error);
    EXPECT_EQ(
        authority.error->message().toStdString(),
        told(*authority.error, QStringLiteral("NÃO FOI POSSÍVEL ESTABELECER A CONEXÃO SEGURA "
                                              "(TLS) COM O SERVIDOR. CONFIRA A AUTORIDADE: ") +
                                   missing));

    const QString plain = server.serverText().section(u';', 0, 1);
    const Attempt refused = attempt([&] { c.open(server.connectionString(plain)); });
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->nativeCode(), 1045);
    EXPECT_EQ(refused.error->message().toStdString(),
              told(*refused.error,
                   QStringLiteral("O SERVIDOR DE BANCO DE DADOS RECUSOU O USUÁRIO OU A SENHA.")) +
                  "\nO SERVIDOR DA CLÍNICA PODE EXIGIR CONEXÃO SEGURA (TLS): CONFIRA A STRING DE "
                  "CONEXÃO.");

    c.open(server.connectionString());
    c.setIdleBeforeCheck(kNeverChecked);
    c.execute(QStringLiteral("create table w (id int primary key)"));
    Attempt lost;
    {
        Transaction t(c);
        c.execute(QStringLiteral("insert into w (id) values (1)"));
        server.shutDown();
        lost = attempt([&] { c.execute(QStringLiteral("insert into w (id) values (2)")); });
        EXPECT_FALSE(c.isOpen()) << "the lost link stayed open";
    }
    ASSERT_TRUE(lost.error);
    EXPECT_EQ(lost.error->message().toStdString(),
              told(*lost.error, QStringLiteral("A CONEXÃO COM O SERVIDOR DE BANCO DE DADOS FOI "
                                               "PERDIDA. NADA FOI GRAVADO.")));
}

} // namespace
} // namespace vtx::test
