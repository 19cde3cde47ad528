// Rows the accounts payable tests stand on: a supplier, cost centres and instalments, written
// straight into the test database under the fixture's installation, at a fixed clock.
#pragma once

#include <chrono>
#include <semaphore>

#include <QDate>
#include <QDeadlineTimer>

#include "Clock.h"
#include "DbFixture.h"
#include "NamedLock.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::test {

/// Holds the workstation thread that armed it once a statement that starts with the text has
/// run there, until resumed: a race test orders its steps with it. A step that waits longer
/// than any step takes fails the test and goes on, so that a wrong test does not hang.
class StatementStop {
public:
    explicit StatementStop(const QString& statement) {
        Connection::setTrace([this, statement](const QString& sql, long long) {
            if (tArmed && sql.startsWith(statement)) {
                tArmed = false;
                m_stopped.release();
                await(m_resume, "the stopped workstation was never resumed");
            }
        });
    }
    ~StatementStop() { Connection::setTrace(nullptr); }
    /// On the workstation's thread, before its call.
    static void arm() { tArmed = true; }
    /// On the workstation's thread, after its call: one that never got there holds no one up.
    void passed() {
        if (tArmed) {
            tArmed = false;
            m_stopped.release();
        }
    }
    void waitStopped() { await(m_stopped, "the workstation never reached its statement"); }
    void resume() { m_resume.release(); }

private:
    static constexpr std::chrono::seconds kPatience{60};
    static void await(std::binary_semaphore& signal, const char* what) {
        if (!signal.try_acquire_for(kPatience))
            ADD_FAILURE() << what;
    }

    static inline thread_local bool tArmed = false;
    std::binary_semaphore m_stopped{0}, m_resume{0};
};

class PayablesFixture : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    }
    void TearDown() override {
        Connection::setTrace(nullptr);
        DbFixture::TearDown();
    }

    long long insert(const QString& sql, const Params& values) {
        Params params{gIdLic};
        params.insert(params.end(), values.begin(), values.end());
        db.execute(sql, params);
        return db.lastInsertId();
    }
    long long addSupplier(const QVariant& name) {
        return insert(QStringLiteral("insert into fornecedores (idlic, nmfor) values (?, ?)"),
                      {name});
    }
    long long addCentre(const QString& name) {
        return insert(QStringLiteral("insert into centrocusto (idlic, nmcen) values (?, ?)"),
                      {name});
    }
    long long addSubCentre(const QString& name) {
        return insert(QStringLiteral("insert into subcentrocusto (idlic, nmscen) values (?, ?)"),
                      {name});
    }
    /// One instalment as the entry stores it; `pago` and `vrpg` as a receipt may have left them.
    void addInstalment(const QString& nrdoc, long long cdfor, int number, int count,
                       const QDate& due, const QString& value, const QString& pago = "N",
                       const QString& vrpg = "0", const QVariant& nrrec = QVariant(),
                       const QVariant& obs = QVariant()) {
        const QString label = QStringLiteral("%1/%2")
                                  .arg(number, 3, 10, QLatin1Char('0'))
                                  .arg(count, 3, 10, QLatin1Char('0'));
        insert(QStringLiteral("insert into cpagar (idlic,idlan,nrdoc,refdoc,cdfor,dte,obs,cdcen,"
                              "cdscen,dtv,vrorig,vrpg,vrab,parcela,pago,nrrec) values "
                              "(?,?,?,'REF',?,'2026-03-01',?,1,1,?,?,?,?,?,?,?)"),
               {nrdoc + QLatin1Char('/') + label + QLatin1Char('/') + QString::number(cdfor), nrdoc,
                cdfor, obs, due, value, vrpg, pago == QLatin1String("S") ? "0" : value, label, pago,
                nrrec});
    }
    /// Kills the connection from the test's own once a statement that starts with the text has
    /// run on it, as a lost link would end it in the middle of a write; the killed session's id.
    qlonglong killAfter(Connection& program, const QString& statement) {
        const qlonglong id =
            program.query(QStringLiteral("select connection_id()")).value(0, 0).toLongLong();
        Connection::setTrace(
            [this, id, statement, done = false](const QString& sql, long long) mutable {
                if (!done && sql.startsWith(statement)) {
                    done = true;
                    db.execute(QStringLiteral("kill connection ?"), {id});
                }
            });
        return id;
    }
    /// Once the killed session has left the server: whether no one holds the lock.
    bool lockFreedAfterKill(qlonglong id, const LockName& lock) {
        Connection::setTrace(nullptr);
        const QDeadlineTimer limit(10000);
        while (!db.query(QStringLiteral("select id from information_schema.processlist where "
                                        "id = ?"),
                         {id})
                    .isEmpty())
            if (limit.hasExpired())
                return false;
        return db.query(QStringLiteral("select is_free_lock(%1)").arg(lock.expression), lock.values)
                   .value(0, 0)
                   .toInt() == 1;
    }
    Recordset instalments(const QString& order = QStringLiteral("idlan")) {
        return db.query(
            QStringLiteral("select * from cpagar where idlic = ? order by %1").arg(order),
            {gIdLic});
    }
};

} // namespace vtx::test
