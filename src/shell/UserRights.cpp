// Statements of the users and rights, every value bound, writes grouped in transactions.
#include "UserRights.h"

#include "Formats.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx {

namespace UserRights {

QString campo(const QString& controlName) {
    return controlName.leftJustified(20, QLatin1Char(' '));
}

QStringList userNames() {
    Recordset rs =
        conexaoAberta().query(QStringLiteral("select * from usuarios where idlic = ?"), {gIdLic});
    QStringList names;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("nmusuario"));
    return names;
}

bool hasUsers() {
    return !conexaoAberta()
                .query(QStringLiteral("select * from usuarios where idlic = ?"), {gIdLic})
                .isEmpty();
}

bool checkLogin(const QString& name, const QString& password) {
    return !conexaoAberta()
                .query(QStringLiteral("select * from usuarios where idlic = ? and nmusuario = ? "
                                      "and ususenha = ?"),
                       {gIdLic, name, password})
                .isEmpty();
}

std::optional<QString> storedPassword(const QString& name) {
    Recordset rs = conexaoAberta().query(
        QStringLiteral("select * from usuarios where nmusuario = ? and idlic = ?"), {name, gIdLic});
    if (rs.isEmpty())
        return std::nullopt;
    rs.moveFirst();
    return rs.text(QStringLiteral("ususenha"));
}

std::vector<std::pair<QString, QString>> rightsOf(const QString& name) {
    Recordset rs = conexaoAberta().query(
        QStringLiteral("select * from perfilusuario where nmusuario = ? and idlic = ?"),
        {name, gIdLic});
    std::vector<std::pair<QString, QString>> rows;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        rows.emplace_back(rs.text(QStringLiteral("campo")), rs.text(QStringLiteral("valor")));
    return rows;
}

std::optional<QString> rightOf(const QString& name, const QString& password,
                               const QString& paddedCampo) {
    Recordset rs = conexaoAberta().query(
        QStringLiteral("select * from perfilusuario where idlic = ? and nmusuario = ? "
                       "and ususenha = ? and campo = ?"),
        {gIdLic, name, password, paddedCampo});
    if (rs.isEmpty())
        return std::nullopt;
    rs.moveLast();
    return rs.text(QStringLiteral("valor"));
}

void saveUser(const QString& name, const QString& password, bool exists,
              const std::vector<Right>& rights) {
    saveUser(conexaoAberta(), name, password, exists, rights);
}

void saveUser(Connection& db, const QString& name, const QString& password, bool exists,
              const std::vector<Right>& rights) {
    const QString stamp = Formats::auditStamp(QStringLiteral(" - "));
    Transaction tx(db);
    // A user deleted elsewhere since it was loaded is inserted again, not left without its row.
    if (!exists || db.execute(QStringLiteral("update usuarios set ususenha = ?, evup = ? "
                                             "WHERE idlic = ? and nmusuario = ?"),
                              {password, stamp, gIdLic, name}) == 0)
        db.execute(QStringLiteral("insert into usuarios (idlic,nmusuario,ususenha,evcad,evup) "
                                  "values (?,?,?,?,?)"),
                   {gIdLic, name, password, stamp, stamp});
    db.execute(QStringLiteral("delete from perfilusuario where idlic = ? and nmusuario = ?"),
               {gIdLic, name});
    std::vector<Params> rows;
    for (const Right& right : rights)
        rows.push_back({gIdLic, name, password, campo(right.controlName),
                        right.allowed ? QStringLiteral("0") : QStringLiteral("1"), stamp});
    db.executeBatch(QStringLiteral("insert into perfilusuario "
                                   "(idlic,nmusuario,ususenha,campo,valor,evcad) "
                                   "values (?,?,?,?,?,?)"),
                    rows);
    tx.commit();
}

bool deleteUser(const QString& name) {
    Connection& db = conexaoAberta();
    Transaction tx(db);
    db.execute(QStringLiteral("delete from perfilusuario where idlic = ? and nmusuario = ?"),
               {gIdLic, name});
    const long long removed = db.execute(
        QStringLiteral("delete from usuarios where idlic = ? and nmusuario = ?"), {gIdLic, name});
    if (removed == 0)
        return false;
    tx.commit();
    return true;
}

} // namespace UserRights

QString VerificaPerfil(const QString& usuario, const QString& controlName) {
    Recordset rs = conexaoAberta().query(
        QStringLiteral("select * from perfilusuario where idlic = ? and nmusuario = ? "
                       "and campo = ?"),
        {gIdLic, usuario, controlName});
    QString result = QStringLiteral("1");
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        result = rs.text(QStringLiteral("valor"));
    return result;
}

} // namespace vtx
