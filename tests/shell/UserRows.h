// Test rows of users and rights, written straight into the tables.
#pragma once

#include <utility>
#include <vector>

#include <QString>

#include "Connection.h"

namespace vtx::test {

/// Inserts a user of the session's installation and its rights rows (campo as given).
void addUser(Connection& db, const QString& name, const QString& password,
             const std::vector<std::pair<QString, QString>>& rights = {});

/// The test server's settings written as the program's settings file in a folder.
void writeTestIni(const QString& folder, const QString& idlic);

} // namespace vtx::test
