// The connection string: values the driver would split or cut go in braces, and such a
// password logs in for real.
#include <gtest/gtest.h>

#include "DbFixture.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::test {
namespace {

QString passwordPart(const QString& password) {
    const QString cs =
        connectionString(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("u"), password);
    return cs.mid(cs.indexOf(QStringLiteral(";Password=")));
}

TEST(ConnectionString, QuotesOnlyValuesTheDriverWouldSplitOrCut) {
    EXPECT_EQ(connectionString(QStringLiteral("10.0.0.5;Port=3307"), QStringLiteral("{db"),
                               QStringLiteral(" u"), QStringLiteral("a;b}c")),
              QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=10.0.0.5;Port=3307;"
                             "Database={{db};User={ u};Password={a;b}}c};Option=3;"));
    const std::pair<const char*, const char*> cases[] = {
        {"pw", ";Password=pw;Option=3;"},       {"a b", ";Password=a b;Option=3;"},
        {"x=y", ";Password=x=y;Option=3;"},     {"", ";Password=;Option=3;"},
        {"pw ", ";Password={pw };Option=3;"},   {"}", ";Password={}}};Option=3;"},
        {"{}}", ";Password={{}}}}};Option=3;"},
    };
    for (const auto& [password, expected] : cases)
        EXPECT_EQ(passwordPart(QString::fromLatin1(password)), QString::fromLatin1(expected))
            << password;
}

/// Sets the password of the connection's own account. The server takes no marker here; the
/// texts come from this test and from the set-up (letters, digits, '-' and '_').
void setOwnPassword(Connection& connection, const QString& password) {
    connection.execute(QStringLiteral("SET PASSWORD = PASSWORD('%1')").arg(password));
}

/// Gives the test account back the password the set-up gave it.
struct PasswordRestore {
    Connection& connection;
    QString password;
    ~PasswordRestore() { setOwnPassword(connection, password); }
};

TEST(ConnectionString, PasswordWithSemicolonAndBraceLogsIn) {
    const QString server = QStringLiteral("127.0.0.1;Port=") + testSetting(QStringLiteral("port"));
    const QString database = testSetting(QStringLiteral("database"));
    const QString user = testSetting(QStringLiteral("quote_user"));
    ASSERT_FALSE(user.isEmpty()) << "no test account: run ./scripts/test";
    const QString setUpPassword = testSetting(QStringLiteral("quote_password"));
    Connection own;
    ASSERT_NO_THROW(own.open(connectionString(server, database, user, setUpPassword)));
    const QString password = QStringLiteral("a;b}c");
    setOwnPassword(own, password);
    PasswordRestore restore{own, setUpPassword};

    Connection quoted;
    ASSERT_NO_THROW(quoted.open(connectionString(server, database, user, password)));
    const Recordset who = quoted.query(QStringLiteral("select current_user(), database()"));
    EXPECT_EQ(who.value(0, 0).toString(), user + QStringLiteral("@127.0.0.1"));
    EXPECT_EQ(who.value(0, 1).toString(), database);
}

} // namespace
} // namespace vtx::test
