// Test rows of users and rights, and the settings file of the test server.
#include "UserRows.h"

#include <QRegularExpression>

#include "DbFixture.h"
#include "Ini.h"
#include "Session.h"

namespace vtx::test {

void addUser(Connection& db, const QString& name, const QString& password,
             const std::vector<std::pair<QString, QString>>& rights) {
    db.execute(QStringLiteral("insert into usuarios (idlic,nmusuario,ususenha) values (?,?,?)"),
               {gIdLic, name, password});
    for (const auto& [campo, valor] : rights)
        db.execute(
            QStringLiteral("insert into perfilusuario (idlic,nmusuario,ususenha,campo,valor) "
                           "values (?,?,?,?,?)"),
            {gIdLic, name, password, campo, valor});
}

void writeTestIni(const QString& folder, const QString& idlic) {
    const QString cs = testConnectionString();
    auto part = [&cs](const char* key) {
        const QRegularExpression re(QStringLiteral("(?:^|;)%1=([^;]*)").arg(QLatin1String(key)));
        return re.match(cs).captured(1);
    };
    IniValues values;
    values.conexao = part("Server") + QStringLiteral(";Port=") + part("Port");
    values.senha = part("Password");
    values.banco = part("Database");
    values.userbco = part("User");
    values.idlic = idlic;
    ASSERT_TRUE(writeIniFile(iniFilePath(folder), values).isEmpty());
}

} // namespace vtx::test
