// Tests against the server that ./scripts/test makes for the run; they fail when it is absent.
#pragma once

#include <chrono>

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include "Connection.h"

namespace vtx::test {

/// One value of the file where ./scripts/test says how the tests reach their server (its path in
/// VTX_TEST_CONF); empty, and the test failed with what to do, when the file cannot be read.
QString testSetting(const QString& key);
/// The connection string of the test database, in the program's own form.
QString testConnectionString();
/// An installation key no other running test uses.
QString uniqueInstallation();
/// An idle time before a link check that no test reaches: a connection given it never checks
/// its link first, and only a statement finds the link gone.
inline constexpr std::chrono::hours kNeverChecked{1};

/// Deletes every row of the installation from every table that has an idlic column.
void deleteInstallation(Connection& connection, const QString& idlic);

/// Points the session at the test database under a fresh installation key and removes that
/// installation's rows afterwards.
class DbFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Inserts a row of the test's installation (idlic first) with the columns and values given;
    /// the auto-increment value it got, as text.
    QString insert(const QString& table, const QStringList& columns, const Params& values);

    /// Ends the connection's session at the server, as a lost link or a server restart does,
    /// and waits until the server has let it go, so that nothing sent afterwards reaches it.
    /// The connection no longer checks its link before a statement, so that its next one finds
    /// the link lost however long the steps in between take.
    void endSession(Connection& connection);
    /// Waits, at most a minute, until none of the sessions is in the server's process list;
    /// fails the test when one stays.
    void waitUntilEnded(const QVariantList& sessions);

    /// A connection of the test's own, for setting up and checking rows.
    Connection db;
};

} // namespace vtx::test
