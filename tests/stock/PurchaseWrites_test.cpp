// Two workstations writing into one purchase at once take turns: together they never take it
// past its totals.
#include <atomic>
#include <thread>

#include <QDeadlineTimer>

#include "DbError.h"
#include "FreightApportionment.h"
#include "PurchaseStatements.h"
#include "PurchaseWrites.h"
#include "StatementStop.h"
#include "StockFixture.h"

namespace vtx::test {
namespace {

class PurchaseTurnsTest : public StockFixture {
protected:
    void SetUp() override {
        StockFixture::SetUp();
        supplier = addSupplier(QStringLiteral("MEDSUL"));
        addSupply(QStringLiteral("0123"), QStringLiteral("GAZE"));
    }
    Params purchase() const {
        return PurchaseStatements::purchase(supplier.toLongLong(), 1, 77, QStringLiteral("1"));
    }
    /// One unit at the value, saved by the workstation under the key.
    bool save(Connection& c, const char* key, std::int64_t value) {
        return PurchaseWrites::addLine(
            c, purchase(), Decimal::fromInt(1), Decimal::fromInt(value), [&] {
                c.execute(QStringLiteral("insert into insumos_cmp (idlic, idlan, "
                                         "cdfor, serie, nfiscal, modelo, cdpro, "
                                         "vfinal, qtde, status) values (?, ?, ?, "
                                         "'1', '77', '1', '0123', ?, 1, 'N')"),
                          {gIdLic, QLatin1String(key), supplier,
                           QVariant::fromValue(Decimal::fromInt(value))});
            });
    }
    /// Runs first on workstation A until its statement that starts with stopAt has run, then
    /// second on workstation B, and lets A go on once B waits for a lock of A's or has ended.
    /// What each returned.
    std::pair<bool, bool> race(const QString& stopAt, const std::function<bool(Connection&)>& first,
                               const std::function<bool(Connection&)>& second) {
        Connection a, b;
        a.open(testConnectionString());
        b.open(testConnectionString());
        const QVariant idOfB = b.query(QStringLiteral("select connection_id()")).value(0, 0);
        std::atomic<bool> doneB{false};
        bool doneByA = false, doneByB = false;
        auto step = [](const std::function<bool(Connection&)>& work, Connection& c, bool& done) {
            try {
                done = work(c);
            } catch (const DbError& e) {
                ADD_FAILURE() << e.text().toStdString();
            }
        };
        StatementStop stop(stopAt);
        std::thread workstationA([&] {
            StatementStop::arm();
            step(first, a, doneByA);
            stop.passed();
        });
        stop.waitStopped();
        std::thread workstationB([&] {
            step(second, b, doneByB);
            doneB = true;
        });
        const QDeadlineTimer limit(10000);
        while (!doneB && !limit.hasExpired() &&
               db.query(QStringLiteral("select id from information_schema.processlist where id = ? "
                                       "and state = 'User lock'"),
                        {idOfB})
                   .isEmpty())
            std::this_thread::yield();
        stop.resume();
        workstationA.join();
        workstationB.join();
        return {doneByA, doneByB};
    }
    int lineCount() {
        return rows(QStringLiteral("select idlan from insumos_cmp where idlic = ?")).recordCount();
    }

    QString supplier;
};

// Each write alone keeps the purchase within its totals; the second, read after the first,
// would take it past them and is refused.
TEST_F(PurchaseTurnsTest, WritesIntoOnePurchaseTakeTurnsAndTheSecondCountsTheFirst) {
    const auto addHalf = [this](const char* key) {
        return [this, key](Connection& c) { return save(c, key, 50000000000); };
    };
    EXPECT_EQ(race(QStringLiteral("select i.lote"), addHalf("A"), addHalf("B")),
              std::make_pair(true, false));
    EXPECT_EQ(lineCount(), 1);

    // A freight being spread counts for a line saved meanwhile.
    db.execute(QStringLiteral("delete from insumos_cmp where idlic = ?"), {gIdLic});
    addLine(QStringLiteral("L"), supplier, QStringLiteral("1"), QStringLiteral("0123"),
            "40000000000", "1");
    const auto freight = [this](Connection& c) {
        const Decimal amount = Decimal::fromInt(30000000000);
        return FreightApportionment::apportion(c, purchase(), amount, amount).outcome ==
               FreightApportionment::Outcome::Written;
    };
    const auto line = [this](Connection& c) { return save(c, "C", 30000000000); };
    EXPECT_EQ(race(QStringLiteral("select idlan,qtde,vfinal"), freight, line),
              std::make_pair(true, false));
    EXPECT_EQ(lineCount(), 1);
}

} // namespace
} // namespace vtx::test
