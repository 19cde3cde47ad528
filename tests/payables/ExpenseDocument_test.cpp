// The expense document's rules without a window: labels, keys, due dates, and the save and
// deletion of partly paid documents and of documents changed by another workstation.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "DbError.h"
#include "ExpenseDocument.h"
#include "PayablesFixture.h"

namespace vtx::test {
namespace {

TEST(Instalments, LabelsKeysAndCalendarMonths) {
    EXPECT_EQ(Instalments::label(1, 1), QStringLiteral("001/001"));
    EXPECT_EQ(
        Instalments::key(QStringLiteral("NF123"), Instalments::label(1, 1), QStringLiteral("45")),
        QStringLiteral("NF123/001/001/45"));
    EXPECT_EQ(
        Instalments::key(QStringLiteral(" 77 "), Instalments::label(2, 115), QStringLiteral("9")),
        QStringLiteral("77 /002/115/9"));
    const QDate first(2026, 1, 31);
    EXPECT_EQ(Instalments::dueDate(first, 1), QDate(2026, 2, 28));
    EXPECT_EQ(Instalments::dueDate(first, 2), QDate(2026, 3, 31));
    EXPECT_EQ(Instalments::dueDate(QDate(2028, 1, 31), 1), QDate(2028, 2, 29));
}

class ExpenseDocumentTest : public PayablesFixture {
protected:
    void SetUp() override {
        PayablesFixture::SetUp();
        supplier = addSupplier(QStringLiteral("ACME"));
        header = {QStringLiteral("NF9"),
                  QStringLiteral("LUZ"),
                  supplier,
                  QDate(2026, 3, 1),
                  QStringLiteral("OBS"),
                  1,
                  2};
    }
    std::vector<Instalment> screenRows(const StoredExpense& doc, const char* value) {
        std::vector<Instalment> rows = doc.instalments;
        for (Instalment& i : rows)
            i.value = *Decimal::parse(QString::fromLatin1(value));
        return rows;
    }
    long long supplier = 0;
    ExpenseHeader header;
};

TEST_F(ExpenseDocumentTest, PartlyPaidDocumentRewritesOnlyItsOpenRowsAndCannotBeDeleted) {
    addInstalment(QStringLiteral("NF9"), supplier, 2, 3, QDate(2026, 5, 1), "10.00");
    addInstalment(QStringLiteral("NF9"), supplier, 1, 3, QDate(2026, 4, 1), "10.00", "S", "10.00");
    // In a receipt with nothing to pay: locked all the same.
    addInstalment(QStringLiteral("NF9"), supplier, 3, 3, QDate(2026, 6, 1), "10.00", "X", "0");
    auto doc = ExpenseDocument::load(db, QStringLiteral("NF9"), supplier);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->instalments.size(), 3u);
    EXPECT_EQ(doc->instalments[0].parcela, QStringLiteral("001/003"));
    EXPECT_EQ(doc->count, 3);
    EXPECT_TRUE(doc->instalments[0].locked);
    EXPECT_FALSE(doc->instalments[1].locked);
    EXPECT_TRUE(doc->instalments[2].locked);

    EXPECT_EQ(ExpenseDocument::save(db, header, screenRows(*doc, "12.34"), &*doc),
              ExpenseDocument::Outcome::Done);
    Recordset rows = instalments();
    const char* expected[][3] = {
        {"10.00", "0.00", "S"}, {"12.34", "12.34", "N"}, {"10.00", "10.00", "X"}};
    for (int i = 0; i < 3; ++i, rows.moveNext()) {
        EXPECT_EQ(rows.text("vrorig"), QLatin1String(expected[i][0])) << i;
        EXPECT_EQ(rows.text("vrab"), QLatin1String(expected[i][1])) << i;
        EXPECT_EQ(rows.text("pago"), QLatin1String(expected[i][2])) << i;
    }
    EXPECT_EQ(ExpenseDocument::remove(db, QStringLiteral("NF9"), supplier),
              ExpenseDocument::Outcome::Locked);
    EXPECT_EQ(instalments().recordCount(), 3);
}

TEST_F(ExpenseDocumentTest, RowsChangedElsewhereSinceTheLoadRefuseTheSave) {
    addInstalment(QStringLiteral("NF9"), supplier, 1, 2, QDate(2026, 4, 1), "10.00");
    addInstalment(QStringLiteral("NF9"), supplier, 2, 2, QDate(2026, 5, 1), "10.00");
    auto doc = ExpenseDocument::load(db, QStringLiteral("NF9"), supplier);
    ASSERT_TRUE(doc);
    ASSERT_FALSE(doc->partlyPaid());

    // Another workstation puts the second instalment into a receipt.
    Connection other;
    other.open(testConnectionString());
    other.execute(QStringLiteral("update cpagar set pago = 'X', nrrec = '260314092653' where "
                                 "idlic = ? and parcela = '002/002'"),
                  {gIdLic});
    EXPECT_EQ(ExpenseDocument::save(db, header, screenRows(*doc, "5.00"), &*doc),
              ExpenseDocument::Outcome::Changed);
    Recordset rows = instalments();
    ASSERT_EQ(rows.recordCount(), 2);
    rows.moveLast();
    EXPECT_EQ(rows.text("pago"), QStringLiteral("X"));
    EXPECT_EQ(rows.text("nrrec"), QStringLiteral("260314092653"));

    // A document the screen took for new but that is stored meanwhile is not added to.
    EXPECT_EQ(ExpenseDocument::save(db, header, screenRows(*doc, "5.00"), nullptr),
              ExpenseDocument::Outcome::Duplicate);
    EXPECT_EQ(instalments().recordCount(), 2);
}

TEST_F(ExpenseDocumentTest, UnpaidDocumentIsReplacedWholeAndDeletedWhole) {
    addInstalment(QStringLiteral("NF9"), supplier, 1, 2, QDate(2026, 4, 1), "10.00");
    addInstalment(QStringLiteral("NF9"), supplier, 2, 2, QDate(2026, 5, 1), "10.00");
    addInstalment(QStringLiteral("NF8"), supplier, 1, 1, QDate(2026, 4, 1), "7.00");
    auto doc = ExpenseDocument::load(db, QStringLiteral("NF9"), supplier);
    ASSERT_TRUE(doc);
    const std::vector<Instalment> one{{QStringLiteral("NF9/001/001/") + QString::number(supplier),
                                       QStringLiteral("001/001"), QDate(2026, 4, 2),
                                       Decimal(2050, 2)}};
    ASSERT_EQ(ExpenseDocument::save(db, header, one, &*doc), ExpenseDocument::Outcome::Done);
    Recordset rows = instalments(QStringLiteral("nrdoc desc"));
    ASSERT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(rows.text("parcela"), QStringLiteral("001/001"));
    EXPECT_EQ(rows.text("vrab"), QStringLiteral("20.50"));
    EXPECT_EQ(rows.text("refdoc"), QStringLiteral("LUZ"));
    EXPECT_EQ(rows.text("pago"), QStringLiteral("N"));
    EXPECT_EQ(rows.text("evcad"), QStringLiteral("TESTE 14/03/2026 09:26:53"));

    EXPECT_EQ(ExpenseDocument::remove(db, QStringLiteral("NF9"), supplier),
              ExpenseDocument::Outcome::Done);
    rows = instalments();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text("nrdoc"), QStringLiteral("NF8"));
}

TEST_F(ExpenseDocumentTest, ALinkLostInsideASaveReportsItAndWritesNothing) {
    addInstalment(QStringLiteral("NF9"), supplier, 1, 1, QDate(2026, 4, 1), "10.00");
    auto doc = ExpenseDocument::load(db, QStringLiteral("NF9"), supplier);
    ASSERT_TRUE(doc);
    Connection program;
    program.open(testConnectionString());
    const qlonglong id = killAfter(program, QStringLiteral("delete from cpagar"));
    EXPECT_THROW(ExpenseDocument::save(program, header, screenRows(*doc, "5.00"), &*doc), DbError);
    Recordset rows = instalments();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text("vrorig"), QStringLiteral("10.00"));
    EXPECT_TRUE(lockFreedAfterKill(id, ExpenseDocument::lockName(header.nrdoc, supplier)));
}

/// Two workstations save a new document at once, the first stopped once it has found the
/// document new until the second has saved or waits for it: one document is stored, the second
/// told it is already stored.
class TwoNewDocumentsTest : public ExpenseDocumentTest {
protected:
    void saveBoth(const QString& numberOfA, const QString& numberOfB) {
        auto schedule = [&](const QString& nrdoc, int count) {
            std::vector<Instalment> rows;
            for (int i = 1; i <= count; ++i) {
                const QString label = Instalments::label(i, count);
                rows.push_back({Instalments::key(nrdoc, label, QString::number(supplier)), label,
                                QDate(2026, 3, 1).addMonths(i), Decimal(1000, 2)});
            }
            return rows;
        };
        StatementStop checked(QStringLiteral("select idlan,vrpg,pago"));
        std::mutex mutex;
        QStringList failures;
        std::atomic<long long> idOfB{0};
        std::atomic<bool> doneB{false};
        auto outcomeA = ExpenseDocument::Outcome::Done, outcomeB = ExpenseDocument::Outcome::Done;
        auto workstation = [&](const QString& nrdoc, int count, ExpenseDocument::Outcome& outcome,
                               bool stop) {
            if (stop)
                StatementStop::arm();
            try {
                Connection c;
                c.open(testConnectionString());
                if (!stop)
                    idOfB =
                        c.query(QStringLiteral("select connection_id()")).value(0, 0).toLongLong();
                ExpenseHeader h = header;
                h.nrdoc = nrdoc;
                outcome = ExpenseDocument::save(c, h, schedule(nrdoc, count), nullptr);
            } catch (const DbError& e) {
                std::lock_guard lock(mutex);
                failures << e.text();
            }
            checked.passed();
            if (!stop)
                doneB = true;
        };
        std::thread a(workstation, numberOfA, 2, std::ref(outcomeA), true);
        checked.waitStopped();
        std::thread b(workstation, numberOfB, 3, std::ref(outcomeB), false);
        auto waitsForA = [&] {
            return idOfB != 0 &&
                   !db.query(QStringLiteral("select id from information_schema.processlist where "
                                            "id = ? and state = 'User lock'"),
                             {idOfB.load()})
                        .isEmpty();
        };
        for (int polls = 0; polls < 2000 && !doneB && !waitsForA(); ++polls)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        checked.resume();
        a.join();
        b.join();

        EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
        EXPECT_EQ(outcomeA, ExpenseDocument::Outcome::Done);
        EXPECT_EQ(outcomeB, ExpenseDocument::Outcome::Duplicate);
        Recordset rows = instalments();
        ASSERT_EQ(rows.recordCount(), 2);
        EXPECT_EQ(rows.text("parcela"), QStringLiteral("001/002"));
    }
};

TEST_F(TwoNewDocumentsTest, TwoWorkstationsSavingOneNewDocumentAtOnceStoreItOnce) {
    saveBoth(header.nrdoc, header.nrdoc);
}

// The table takes "NFÉ1" for "NFE1": so does the lock of their saves.
TEST_F(TwoNewDocumentsTest, NumbersTheTableTakesForOneAreOneDocumentToTheirLock) {
    saveBoth(QStringLiteral("NFE1"), QStringLiteral("NFÉ1"));
}

} // namespace
} // namespace vtx::test
