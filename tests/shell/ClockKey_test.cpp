// The clock key maker against the real server: a key taken in the same second moves on.
#include "Clock.h"
#include "ClockKey.h"
#include "DbError.h"
#include "DbFixture.h"
#include "Recordset.h"

namespace vtx::test {
namespace {

class ClockKeyTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 59)));
        db.execute(QStringLiteral("create temporary table k (id varchar(40) primary key, n int)"));
    }
    void TearDown() override {
        Clock::reset();
        DbFixture::TearDown();
    }

    QString insertRow(int n) {
        const ClockKeyPattern pattern{QStringLiteral("A"), QStringLiteral("yyMMddHHmmss"),
                                      QStringLiteral("-7")};
        return ClockKeys::insertUnique(pattern, [&](const QString& key) {
            db.execute(QStringLiteral("insert into k (id, n) values (?, ?)"), {key, n});
        });
    }
};

TEST_F(ClockKeyTest, SavesInOneSecondGetSuccessiveSecondsAndEveryRowStays) {
    EXPECT_EQ(insertRow(1), QStringLiteral("A261207093059-7"));
    EXPECT_EQ(insertRow(2), QStringLiteral("A261207093100-7"));
    EXPECT_EQ(insertRow(3), QStringLiteral("A261207093101-7"));
    EXPECT_EQ(db.query(QStringLiteral("select count(*) as c from k")).text(QStringLiteral("c")),
              QStringLiteral("3"));
}

TEST_F(ClockKeyTest, OtherFailuresAreThrownAtOnce) {
    int tries = 0;
    const ClockKeyPattern pattern{QString(), QStringLiteral("yyMMddHHmmss"), QString()};
    EXPECT_THROW(ClockKeys::insertUnique(
                     pattern,
                     [&](const QString& key) {
                         ++tries;
                         db.execute(QStringLiteral("insert into nosuch values (?)"), {key});
                     }),
                 DbError);
    EXPECT_EQ(tries, 1);
}

TEST_F(ClockKeyTest, NoFreeKeyWithinTheSecondsAllowedAsksTheUserToTryAgain) {
    std::vector<Params> taken;
    for (int second = 0; second < ClockKeys::kMaxSeconds; ++second)
        taken.push_back({QStringLiteral("A%1-7").arg(
                             Clock::now().addSecs(second).toString(QStringLiteral("yyMMddHHmmss"))),
                         0});
    db.executeBatch(QStringLiteral("insert into k (id, n) values (?, ?)"), taken);
    const QString tryAgain = QStringLiteral("NÃO HÁ NÚMERO LIVRE NESTE MOMENTO. TENTE NOVAMENTE!");
    try {
        insertRow(1);
        ADD_FAILURE() << "a key past the seconds allowed was written";
    } catch (const DbError& e) {
        EXPECT_EQ(e.text(), tryAgain);
    }
    try {
        ClockKeys::firstFree({QString(), QStringLiteral("yyMMddHHmmss"), QString()},
                             [](const QString&) { return false; });
        ADD_FAILURE() << "a key none was free of was given";
    } catch (const DbError& e) {
        EXPECT_EQ(e.text(), tryAgain);
    }
    EXPECT_EQ(db.query(QStringLiteral("select count(*) as c from k")).text(QStringLiteral("c")),
              QString::number(ClockKeys::kMaxSeconds));
}

TEST_F(ClockKeyTest, FirstFreeSkipsKeysAlreadyHeld) {
    const ClockKeyPattern pattern{QString(), QStringLiteral("ddMMyyHHmmss"), QString()};
    const QString key = ClockKeys::firstFree(pattern, [](const QString& candidate) {
        return candidate != QStringLiteral("071226093059");
    });
    EXPECT_EQ(key, QStringLiteral("071226093100"));
}

} // namespace
} // namespace vtx::test
