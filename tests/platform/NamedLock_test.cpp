// A named lock holds its session: a lost link is then reported, never replaced unseen, and
// mended again once every hold is gone, however the holds were moved.
#include "DbError.h"
#include "DbFixture.h"
#include "NamedLock.h"
#include "Recordset.h"

namespace vtx::test {
namespace {

class NamedLockTest : public DbFixture {
protected:
    /// Ends the connection's session, waits until the server has let it go, and has the
    /// connection check its link before each statement.
    void drop(Connection& c) {
        endSession(c);
        c.setIdleBeforeCheck(std::chrono::milliseconds(0));
    }
};

TEST_F(NamedLockTest, ALostSessionIsMendedOnlyOnceEveryHoldIsGone) {
    Connection c;
    c.open(testConnectionString());
    {
        NamedLock lock(c, LockName::fixed(QStringLiteral("vertalumex.") + uniqueInstallation()),
                       QStringLiteral("Ocupado."));
        drop(c);
        EXPECT_THROW(c.query(QStringLiteral("select 1")), DbError);
    }
    c.open(testConnectionString());
    {
        Connection::SessionHold first = c.holdSession();
        Connection::SessionHold second = std::move(first);
        Connection::SessionHold third = c.holdSession();
        third = std::move(second);
    }
    drop(c);
    EXPECT_EQ(c.query(QStringLiteral("select 1")).value(0, 0).toInt(), 1);
}

} // namespace
} // namespace vtx::test
