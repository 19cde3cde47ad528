// The copy of a patient into a new contract.
#include "ContractCreation.h"

#include <QDate>

#include "Clock.h"
#include "ClockKey.h"
#include "Connection.h"
#include "Formats.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx {

namespace {

const QString kInsert = QStringLiteral(
    "INSERT INTO contrato (idlic,idcontrato,dtc,cdpac,nmresp,foneresp,cidade,status,evcad,upev,"
    "cpf,rg,obs,rua,nrcasa,email,bairro,cep,uf,fonepac,idconv,dsaler,dsmed,dscir,taler,tmed,tcir,"
    "diagno,medresp) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");

} // namespace

std::optional<QString> createContract(qlonglong patientCode) {
    Recordset p = conexaoAberta().query(
        QStringLiteral("select * from pacientes where idlic = ? and idpac = ?"),
        {gIdLic, patientCode});
    if (p.isEmpty())
        return std::nullopt;

    // A patient's empty column is copied as an empty text.
    const auto text = [&p](const char* column) { return p.text(QString::fromLatin1(column)); };
    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    Params values{gIdLic,
                  QString(),
                  Clock::today(),
                  patientCode,
                  text("nmresp"),
                  text("foneresp"),
                  text("cidade"),
                  QStringLiteral("0"),
                  stamp,
                  stamp,
                  text("cpf"),
                  text("rg"),
                  text("obs"),
                  text("rua"),
                  text("nrrua"),
                  text("eMail"),
                  text("bairro"),
                  text("cep"),
                  text("uf"),
                  text("fonepac"),
                  p.value(QStringLiteral("idconv")),
                  text("dsaler"),
                  text("dsmed"),
                  text("dscir"),
                  text("taler"),
                  text("tmed"),
                  text("tcir"),
                  QString(),
                  QString()};

    // The insert runs on a connection of its own, closed when it is done.
    Connection own;
    own.open(gStrConexao);
    const ClockKeyPattern pattern{QString(), QStringLiteral("yyMMddHHmmss"),
                                  QString::number(patientCode)};
    return ClockKeys::insertUnique(pattern, [&](const QString& key) {
        values[1] = key;
        own.execute(kInsert, values);
    });
}

} // namespace vtx
