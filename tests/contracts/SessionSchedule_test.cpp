// The generator's rule of cycles as a pure function, the numbers and times it takes, and the
// replacement of a procedure's sessions in one transaction.
#include <mutex>
#include <thread>

#include <QDeadlineTimer>

#include "ContractFixture.h"
#include "DbError.h"
#include "SessionSchedule.h"
#include "frmOS_CronoAgenda.h"

namespace vtx::test {
namespace {

// 2026-03-16 is a Monday.
const QDate kMonday(2026, 3, 16);

SchedulePlan plan(int hours, int cycles, std::array<bool, 7> days, QTime time = QTime(8, 0)) {
    return {kMonday, time, hours, cycles, days};
}
constexpr std::array<bool, 7> kAllDays{true, true, true, true, true, true, true};

QStringList texts(const std::vector<QDateTime>& moments) {
    QStringList out;
    for (const QDateTime& m : moments)
        out << m.toString(QStringLiteral("ddd dd HH:mm"));
    return out;
}

TEST(SessionGenerator, CyclesCloseWhenTheTimeOfDayComesBack) {
    // Monday, Wednesday and Friday, twelve hours apart, two cycles: four sessions.
    auto worked = generateSessions(plan(12, 2, {false, true, false, true, false, true, false}));
    ASSERT_TRUE(worked);
    EXPECT_EQ(texts(*worked),
              (QStringList{QStringLiteral("Mon 16 08:00"), QStringLiteral("Mon 16 20:00"),
                           QStringLiteral("Wed 18 08:00"), QStringLiteral("Wed 18 20:00")}));
    auto daily = generateSessions(plan(24, 10, kAllDays));
    ASSERT_EQ(daily->size(), 10u);
    EXPECT_EQ(daily->back(), QDateTime(QDate(2026, 3, 25), QTime(8, 0), Qt::UTC));
    auto weekends = generateSessions(plan(24, 3, {true, false, false, false, false, false, true}));
    EXPECT_EQ(texts(*weekends),
              (QStringList{QStringLiteral("Sat 21 08:00"), QStringLiteral("Sun 22 08:00"),
                           QStringLiteral("Sat 28 08:00")}));
    // Five hours from Monday 08:00 with only Sunday unticked: one cycle is 24 sessions.
    auto fiveHours = generateSessions(plan(5, 1, {false, true, true, true, true, true, true}));
    ASSERT_EQ(fiveHours->size(), 24u);
    EXPECT_EQ(fiveHours->back(), QDateTime(QDate(2026, 3, 21), QTime(3, 0), Qt::UTC));
    EXPECT_EQ(texts(*generateSessions(plan(48, 2, kAllDays))),
              (QStringList{QStringLiteral("Mon 16 08:00"), QStringLiteral("Wed 18 08:00")}));
    EXPECT_TRUE(generateSessions(plan(24, 0, kAllDays))->empty());
    EXPECT_TRUE(generateSessions(plan(24, -3, kAllDays))->empty());
}

TEST(SessionGenerator, GenerationsThatCouldNotEndAreRefused) {
    EXPECT_FALSE(generateSessions(plan(24, 1, {})));
    // Monday to Thursday every five hours: Friday cuts each cycle short, none ever closes.
    EXPECT_FALSE(generateSessions(plan(5, 1, {false, true, true, true, true, false, false})));
    EXPECT_FALSE(generateSessions(plan(1, 209, kAllDays)));   // 5,016 sessions
    EXPECT_TRUE(generateSessions(plan(3, 625, kAllDays)));    // 5,000 sessions
    EXPECT_FALSE(generateSessions(plan(24, 1200, kAllDays))); // more than three years
}

TEST(SessionGenerator, NumbersRoundHalfToEvenAndTimesTakeDigitsOnly) {
    const std::pair<const char*, std::optional<int>> numbers[] = {
        {"0,5", 0},          {"0,7", 1},         {"1,5", 2},         {"2,5", 2},
        {"-2,5", -2},        {"32767", 32767},   {"-32768", -32768}, {"32768", std::nullopt},
        {"a", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [typed, expected] : numbers)
        EXPECT_EQ(roundedInt16(QString::fromLatin1(typed)), expected) << typed;

    QString time = QStringLiteral(" 8:30 ");
    EXPECT_TRUE(frmOS_CronoAgenda::HoraValida(time));
    EXPECT_EQ(time, QStringLiteral("8:30"));
    for (const char* wrong :
         {"24:00", "12:60", "12", "a:b", "1:2:3", "-1:00", "1e1:00", "99999:0"}) {
        QString t = QString::fromLatin1(wrong);
        EXPECT_FALSE(frmOS_CronoAgenda::HoraValida(t)) << wrong;
    }
    EXPECT_EQ(sessionTime(QStringLiteral("9:5")), QStringLiteral("09:05"));
}

class SessionWriteTest : public ContractTest {};

TEST_F(SessionWriteTest, AFailureAfterTheDeleteLeavesTheFormerSessions) {
    const QString contract = QStringLiteral("2603160800001");
    replaceSessions(db, contract, QStringLiteral("12"), 1,
                    *generateSessions(plan(24, 3, kAllDays)));
    Recordset before = rows(QStringLiteral("contrato_agenda"), QStringLiteral("idlan"));
    ASSERT_EQ(before.recordCount(), 3);
    EXPECT_EQ(before.text(QStringLiteral("idlan")), QStringLiteral("12_2603160800"));
    EXPECT_EQ(before.text(QStringLiteral("idprof")) + before.text(QStringLiteral("status")),
              QStringLiteral("00"));

    // The second moment repeats the first: its key is taken, after the delete ran.
    const QDateTime twice(kMonday.addDays(7), QTime(9, 0), Qt::UTC);
    EXPECT_THROW(replaceSessions(db, contract, QStringLiteral("12"), 1, {twice, twice}), DbError);
    EXPECT_EQ(rows(QStringLiteral("contrato_agenda"), QStringLiteral("idlan")).recordCount(), 3);
}

// Two workstations press "Gerar" on one procedure at once: the second waits for the first's
// lock, then replaces its sessions, as generating again does.
TEST_F(SessionWriteTest, TwoGenerationsOfOneProcedureTakeTurns) {
    const QString contract = QStringLiteral("2603160800001");
    replaceSessions(db, contract, QStringLiteral("12"), 1,
                    *generateSessions(plan(24, 1, kAllDays)));
    Connection a, b;
    QVariantList ids;
    for (Connection* c : {&a, &b}) {
        c->open(testConnectionString());
        ids << c->query(QStringLiteral("select connection_id()")).value(0, 0);
    }
    auto seen = [&](const QVariant& id, const char* condition) {
        const QDeadlineTimer limit(10000);
        for (; !limit.hasExpired(); std::this_thread::yield())
            if (!db.query(QStringLiteral("select id from information_schema.processlist where "
                                         "id = ? and ") +
                              QLatin1String(condition),
                          {id})
                     .isEmpty())
                return true;
        return false;
    };
    std::mutex failing;
    QStringList failures;
    auto generate = [&](Connection& c, QTime time) {
        try {
            replaceSessions(c, contract, QStringLiteral("12"), 1,
                            *generateSessions(plan(24, 2, kAllDays, time)));
        } catch (const DbError& e) {
            std::lock_guard guard(failing);
            failures << e.text();
        }
    };
    // The former session is held here, so that A stops at its delete, inside its generation.
    Transaction holding(db);
    db.query(QStringLiteral("select idlan from contrato_agenda where idlic = ? for update"),
             {gIdLic});
    std::thread first(generate, std::ref(a), QTime(8, 0));
    const bool deleting = seen(ids[0], "info like 'DELETE FROM contrato_agenda%'");
    std::thread second(generate, std::ref(b), QTime(9, 0));
    const bool waited = seen(ids[1], "state = 'User lock'");
    holding.commit();
    first.join();
    second.join();
    EXPECT_TRUE(deleting);
    EXPECT_TRUE(waited);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
    Recordset now = rows(QStringLiteral("contrato_agenda"), QStringLiteral("idlan"));
    ASSERT_EQ(now.recordCount(), 2);
    EXPECT_EQ(now.text(QStringLiteral("idlan")), QStringLiteral("12_2603160900"));
}

} // namespace
} // namespace vtx::test
