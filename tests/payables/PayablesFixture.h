// Rows the accounts payable tests stand on: a supplier, cost centres and instalments, written
// straight into the test database under the fixture's installation, at a fixed clock.
#pragma once

#include <QDate>
#include <QDeadlineTimer>

#include "Clock.h"
#include "DbFixture.h"
#include "NamedLock.h"
#include "Recordset.h"
#include "Session.h"
#include "StatementStop.h"

namespace vtx::test {

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
