// The installation's users and their per-menu rights (tables usuarios and perfilusuario), and
// the right lookup the search dialogs call. Every function throws DbError when a statement fails.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

namespace vtx {

class Connection;

namespace UserRights {

/// A control name left-aligned in the 20 characters of perfilusuario.campo.
QString campo(const QString& controlName);

/// The installation's user names in the order the database returns them.
QStringList userNames();
/// False on a new installation, which has no user yet.
bool hasUsers();
/// True when the name and password, compared as typed, belong to a user of the installation.
bool checkLogin(const QString& name, const QString& password);
/// A user's stored password; nothing when the installation has no such user.
std::optional<QString> storedPassword(const QString& name);

/// The rights rows of a user (campo, valor) in the order the database returns them.
std::vector<std::pair<QString, QString>> rightsOf(const QString& name);
/// The valor of the last row for a user, password and padded campo; nothing without a row.
std::optional<QString> rightOf(const QString& name, const QString& password,
                               const QString& paddedCampo);

/// One right as the users form saves it.
struct Right {
    QString controlName;
    bool allowed;
};

/// Inserts (or, when it exists, updates) the user and rewrites all its rights rows (one
/// batched write), in one transaction: on failure nothing is changed. An update that finds no
/// row inserts. Runs on the shared connection, or on the one given.
void saveUser(const QString& name, const QString& password, bool exists,
              const std::vector<Right>& rights);
void saveUser(Connection& db, const QString& name, const QString& password, bool exists,
              const std::vector<Right>& rights);
/// Deletes the user and its rights in one transaction; false, with nothing changed, when the
/// installation has no user of that name.
bool deleteUser(const QString& name);

} // namespace UserRights

/// One right of a user on a main-menu control: "0" allowed, "1" blocked (also without a row);
/// the last row decides.
QString VerificaPerfil(const QString& usuario, const QString& controlName);

} // namespace vtx
