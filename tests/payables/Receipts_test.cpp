// Receipts without a window: numbers, putting in and taking out under their state guards, the
// close in one transaction, and the pending list.
#include <thread>

#include "ClockKey.h"
#include "DbError.h"
#include "PayablesFixture.h"
#include "Receipts.h"

namespace vtx::test {
namespace {

class ReceiptsTest : public PayablesFixture {
protected:
    void SetUp() override {
        PayablesFixture::SetUp();
        supplier = addSupplier(QStringLiteral("ACME"));
    }
    QString key(int number, int count = 3) {
        return QStringLiteral("NF1/%1/%2/%3")
            .arg(number, 3, 10, QLatin1Char('0'))
            .arg(count, 3, 10, QLatin1Char('0'))
            .arg(supplier);
    }
    void addOpen(int number, const char* value, int count = 3) {
        addInstalment(QStringLiteral("NF1"), supplier, number, count,
                      QDate(2026, 3, 1).addMonths(number), QString::fromLatin1(value));
    }
    Receipts::PutIn put(int number, const QString& receipt, const char* toPay, bool first = false) {
        return Receipts::putIn(db, key(number), receipt, first, Decimal(), Decimal(),
                               *Decimal::parse(QString::fromLatin1(toPay)));
    }
    Recordset row(int number) {
        Recordset r = db.query(QStringLiteral("select * from cpagar where idlic = ? and idlan = ?"),
                               {gIdLic, key(number)});
        r.moveFirst();
        return r;
    }
    long long receiptRows() {
        return db.query(QStringLiteral("select * from cpagar_recibos where idlic = ?"), {gIdLic})
            .recordCount();
    }
    long long supplier = 0;
    const QString r1 = QStringLiteral("260314092653");
    const QString r2 = QStringLiteral("260314092654");
};

TEST_F(ReceiptsTest, PutInAndTakeOutChangeOnlyRowsInTheRightState) {
    addOpen(1, "100.00");
    addOpen(2, "50.00");
    ASSERT_TRUE(
        Receipts::putIn(db, key(1), r1, false, Decimal(1000, 2), Decimal(25, 1), Decimal(10750, 2))
            .done);
    Recordset one = row(1);
    EXPECT_EQ(one.text("vrj"), QStringLiteral("10.00"));
    EXPECT_EQ(one.text("vrd"), QStringLiteral("2.50"));
    EXPECT_EQ(one.text("vrpg"), QStringLiteral("107.50"));
    EXPECT_EQ(one.text("pago"), QStringLiteral("X"));
    EXPECT_EQ(one.text("nrrec"), r1);
    // A stale screen can neither put it into another receipt nor take it from this one.
    EXPECT_FALSE(put(1, r2, "1.00").done);
    EXPECT_FALSE(Receipts::takeOut(db, key(1), r2));
    EXPECT_EQ(row(1).text("nrrec"), r1);

    EXPECT_TRUE(Receipts::takeOut(db, key(1), r1));
    one = row(1);
    for (const char* column : {"vrj", "vrd", "vrpg"})
        EXPECT_EQ(one.text(QLatin1String(column)), QStringLiteral("0.00")) << column;
    EXPECT_EQ(one.text("pago"), QStringLiteral("N"));
    EXPECT_EQ(one.text("nrrec"), QStringLiteral("em aberto"));
    EXPECT_FALSE(Receipts::takeOut(db, key(1), r1));
    // A receipt whose items were all taken out is no longer pending.
    EXPECT_TRUE(Receipts::pending(db).isEmpty());

    // A paid instalment is never reopened nor put in again.
    db.execute(QStringLiteral("update cpagar set pago = 'S', nrrec = ? where idlic = ? and "
                              "idlan = ?"),
               {r1, gIdLic, key(2)});
    EXPECT_FALSE(put(2, r2, "1.00").done);
    EXPECT_FALSE(Receipts::takeOut(db, key(2), r1));
    EXPECT_EQ(row(2).text("pago"), QStringLiteral("S"));
}

TEST_F(ReceiptsTest, NumbersNeverRepeatAnothersAndTheFirstItemChecksAgain) {
    addOpen(1, "10.00");
    addOpen(2, "10.00");
    db.execute(QStringLiteral("insert into cpagar_recibos (idlic, nrrec) values (?, ?)"),
               {gIdLic, r1});
    // 14/03/2026 09:26:53 is taken by a closed receipt: the next second is free.
    EXPECT_EQ(Receipts::newNumber(db), r2);

    // Two workstations got the same number; the second to put an item in gets another one.
    ASSERT_TRUE(put(1, r2, "10.00", /*first=*/true).done);
    const Receipts::PutIn other = put(2, r2, "10.00", /*first=*/true);
    ASSERT_TRUE(other.done);
    EXPECT_EQ(other.number, QStringLiteral("260314092655"));
    EXPECT_EQ(row(2).text("nrrec"), other.number);
    // A later item of a receipt keeps its number.
    EXPECT_EQ(Receipts::pending(db), (QStringList{r2, other.number}));

    // A number another workstation is putting its first item into is not chosen.
    addOpen(3, "10.00");
    const LockName third = Receipts::lockName(QStringLiteral("260314092656"));
    Connection putting;
    putting.open(testConnectionString());
    ASSERT_EQ(
        putting.query(QStringLiteral("select get_lock(%1, 0)").arg(third.expression), third.values)
            .value(0, 0)
            .toInt(),
        1);
    EXPECT_EQ(put(3, r2, "10.00", /*first=*/true).number, QStringLiteral("260314092657"));
}

// B starts a receipt in the same second as A, whose first put-in then stalls: neither B's first
// item nor a receipt started meanwhile waits for A's number; each gets another one at once.
TEST_F(ReceiptsTest, ANumberStalledInAnotherWorkstationsFirstPutInIsNeverHandedOut) {
    addOpen(1, "10.00");
    addOpen(2, "20.00");
    Connection a, b;
    a.open(testConnectionString());
    b.open(testConnectionString());
    const QString startedByB = Receipts::newNumber(b);
    ASSERT_EQ(startedByB, r1);
    StatementStop stop(QStringLiteral("update cpagar set vrj"));
    Receipts::PutIn inA;
    std::thread workstationA([&] {
        StatementStop::arm();
        try {
            inA = Receipts::putIn(a, key(1), r1, true, Decimal(), Decimal(), Decimal(1000, 2));
        } catch (const DbError&) {
        }
        stop.passed();
    });
    stop.waitStopped();
    const QString startedNow = Receipts::newNumber(b);
    Receipts::PutIn inB;
    try {
        inB = Receipts::putIn(b, key(2), startedByB, true, Decimal(), Decimal(), Decimal(2000, 2));
    } catch (const DbError& e) {
        ADD_FAILURE() << e.text().toStdString();
    }
    stop.resume();
    workstationA.join();
    EXPECT_EQ(startedNow, r2);
    EXPECT_TRUE(inB.done);
    EXPECT_EQ(inB.number, r2);
    EXPECT_TRUE(inA.done);
    EXPECT_EQ(Receipts::pending(db), (QStringList{r1, r2}));
}

TEST_F(ReceiptsTest, CloseWritesEveryLineAndPaysEveryItemOrNothing) {
    addOpen(1, "100.00");
    addOpen(2, "50.10");
    ASSERT_TRUE(put(1, r1, "100.00").done);
    ASSERT_TRUE(put(2, r1, "50.10").done);
    const QDate day(2026, 3, 13);
    // A cent off, and a failing statement half-way, write nothing.
    EXPECT_EQ(Receipts::close(db, r1, day, {{Decimal(15009, 2), "DIN", ""}}),
              Receipts::CloseOutcome::Divergent);
    EXPECT_THROW(Receipts::close(db, r1, day,
                                 {{Decimal(10000, 2), "CHE", "A|B"},
                                  {Decimal(5010, 2), "PIX", QString(300, QLatin1Char('x'))}}),
                 DbError);
    EXPECT_EQ(receiptRows(), 0);
    EXPECT_EQ(row(1).text("pago"), QStringLiteral("X"));

    ASSERT_EQ(Receipts::close(db, r1, day,
                              {{Decimal(10000, 2), "CHE", "A|B"}, {Decimal(5010, 2), "PIX", ""}}),
              Receipts::CloseOutcome::Closed);
    Recordset rows =
        db.query(QStringLiteral("select * from cpagar_recibos where idlic = ? order by valor desc"),
                 {gIdLic});
    ASSERT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(rows.text("valor"), QStringLiteral("100.00"));
    EXPECT_EQ(rows.text("obs"), QStringLiteral("A|B"));
    EXPECT_EQ(rows.text("cdmp"), QStringLiteral("CHE"));
    EXPECT_EQ(rows.value("dtbx").toDate(), day);
    EXPECT_EQ(rows.text("evcad"), QStringLiteral("TESTE 14/03/2026 09:26:53"));
    const Recordset paid = row(2);
    EXPECT_EQ(paid.text("pago"), QStringLiteral("S"));
    EXPECT_EQ(paid.text("vrab"), QStringLiteral("0.00"));
    EXPECT_EQ(paid.text("vrpg"), QStringLiteral("50.10"));
    EXPECT_EQ(paid.value("dtp").toDate(), day);
    EXPECT_TRUE(Receipts::pending(db).isEmpty());
}

TEST_F(ReceiptsTest, AReceiptClosedAtAnotherWorkstationTakesNothingMore) {
    addOpen(1, "100.00");
    addOpen(2, "50.10");
    ASSERT_TRUE(put(1, r1, "100.00", /*first=*/true).done);
    // Workstation A closes the receipt; B, whose screen still shows it open, puts the next
    // instalment in and then tries to close it too.
    Connection other;
    other.open(testConnectionString());
    const QDate day(2026, 3, 13);
    ASSERT_EQ(Receipts::close(other, r1, day, {{Decimal(10000, 2), "CHE", ""}}),
              Receipts::CloseOutcome::Closed);
    const Receipts::PutIn late = put(2, r1, "50.10");
    EXPECT_FALSE(late.done);
    EXPECT_TRUE(late.closedElsewhere);
    EXPECT_EQ(row(2).text("pago"), QStringLiteral("N"));
    EXPECT_TRUE(Receipts::pending(db).isEmpty());
    EXPECT_EQ(Receipts::close(db, r1, day, {{Decimal(10000, 2), "CHE", ""}}),
              Receipts::CloseOutcome::ClosedElsewhere);
    EXPECT_EQ(receiptRows(), 1);
}

TEST_F(ReceiptsTest, ALinkLostInsideAPutInOrACloseReportsItAndWritesNothing) {
    addOpen(1, "100.00");
    addOpen(2, "50.00");
    ASSERT_TRUE(put(2, r1, "50.00").done);
    Connection program;
    program.open(testConnectionString());
    qlonglong id = killAfter(program, QStringLiteral("update cpagar set vrj"));
    EXPECT_THROW(
        Receipts::putIn(program, key(1), r1, false, Decimal(), Decimal(), Decimal(10000, 2)),
        DbError);
    EXPECT_EQ(row(1).text("pago"), QStringLiteral("N"));
    EXPECT_TRUE(lockFreedAfterKill(id, Receipts::lockName(r1)));

    program.open(testConnectionString());
    id = killAfter(program, QStringLiteral("insert into cpagar_recibos"));
    EXPECT_THROW(Receipts::close(program, r1, QDate(2026, 3, 14), {{Decimal(5000, 2), "DIN", ""}}),
                 DbError);
    EXPECT_EQ(receiptRows(), 0);
    EXPECT_EQ(row(2).text("pago"), QStringLiteral("X"));
    EXPECT_TRUE(lockFreedAfterKill(id, Receipts::lockName(r1)));
}

TEST_F(ReceiptsTest, AWorkstationStalledInAReceiptHoldsUpNoOtherReceipt) {
    addOpen(1, "10.00");
    addOpen(2, "20.00");
    StatementStop stop(QStringLiteral("update cpagar set vrj"));
    // A stops inside its put-in into one receipt; B puts an instalment into another meanwhile.
    auto putIn = [&](int number, const QString& receipt) {
        try {
            Connection c;
            c.open(testConnectionString());
            return Receipts::putIn(c, key(number), receipt, false, Decimal(), Decimal(),
                                   Decimal(1000, 2))
                .done;
        } catch (const DbError&) {
            return false;
        }
    };
    bool doneA = false;
    std::thread a([&] {
        StatementStop::arm();
        doneA = putIn(1, r1);
        stop.passed();
    });
    stop.waitStopped();
    const bool doneB = putIn(2, r2);
    stop.resume();
    a.join();
    EXPECT_TRUE(doneB);
    EXPECT_TRUE(doneA);
    EXPECT_EQ(Receipts::pending(db), (QStringList{r1, r2}));
}

TEST_F(ReceiptsTest, ZeroTotalItemsCloseWithoutPaymentLines) {
    addOpen(1, "10.00");
    ASSERT_TRUE(
        Receipts::putIn(db, key(1), r1, false, Decimal(), Decimal(1000, 2), Decimal()).done);
    EXPECT_EQ(Receipts::close(db, r1, QDate(2026, 3, 14), {}), Receipts::CloseOutcome::Closed);
    EXPECT_EQ(row(1).text("pago"), QStringLiteral("S"));
    EXPECT_EQ(receiptRows(), 0);
}

TEST(ReceiptPayment, AmountRightAlignedInFifteenAndTheWholeNote) {
    EXPECT_EQ(
        (ReceiptPayment{Decimal(10000, 2), QStringLiteral("CHE"), QStringLiteral("NF 1|2")}.text()),
        QStringLiteral("         100,00|CHE|NF 1|2"));
    EXPECT_EQ(
        ReceiptPayment({Decimal(123456789012345, 2), QStringLiteral("PIX"), QString()}).text(),
        QStringLiteral("1234567890123,4|PIX|"));
}

} // namespace
} // namespace vtx::test
