// Reads and writes of the attendance record, every value bound and every join within the
// installation.
#include "AttendanceRecords.h"

#include <set>

#include "Clock.h"
#include "DataControl.h"
#include "Formats.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::AttendanceRecords {

namespace {

const QString kSession = QStringLiteral(
    "select ca.idcontrato,ca.data,ca.hora,ca.idproc,ca.idpac,ca.idprof,p.nmproc,pa.nmpac,"
    "pa.dtnasc,pf.nmpro from contrato_agenda ca left join procedimentos p on ca.idproc like "
    "p.idproc and p.idlic = ca.idlic left join pacientes pa on ca.idpac like pa.idpac and "
    "pa.idlic = ca.idlic left join profissionais pf on ca.idprof like pf.idpro and pf.idlic = "
    "ca.idlic  where ca.idlic = ? and ca.idlan = ?");
const QString kInContract = QStringLiteral(" and ca.idcontrato = ?");
const QString kAttendance = QStringLiteral(
    "select * from contrato_atendimento where idlic = ? and idcontrato = ? and idlan = ?");
const QString kAttendanceStatus =
    QStringLiteral("select status from contrato_atendimento where idlic = ? and idcontrato = ? "
                   "and idlan = ? for update");
const QString kUpdateAttendance = QStringLiteral(
    "update contrato_atendimento set status = ?, dsev = ?, data = ? , hora = ?,upev= ? where "
    "idlic = ? and idcontrato = ? and idlan = ?");
const QString kInsertAttendance = QStringLiteral(
    "insert into contrato_atendimento (idlic,idcontrato,idlan,idproc,data,hora,idprof,idpac,dsev,"
    "evcad,upev,status) values (?,?,?,?,?,?,?,?,?,?,?,?)");
const QString kConclude = QStringLiteral(
    "update contrato_agenda set status = '1' where idlic = ? and idcontrato = ? and idlan = ?");
const QString kLot = QStringLiteral(
    "select lote,dtv from insumos_cmp where idlic = ? and cdpro = ? and lote = ? and dtv = ?");
const QString kInsertDelivery = QStringLiteral(
    "insert into contrato_entregue (idlic,idcontrato,idproc,dtatend,cdpro,qtde,evcad,idatend,"
    "tipo,lote,dtv,custo) values (?,?,?,?,?,?,?,?,?,?,?,?)");
const QString kReverse = QStringLiteral(
    "delete from contrato_entregue where idlic = ? and idcontrato = ? and idatend = ? and idlan "
    "= ?");
const QString kNoneDelivered = QStringLiteral(
    "select * from contrato_entregue where idlic = ? and idcontrato = '0' and idatend = '0'");
const QString kDelivered = QStringLiteral(
    "select ce.idcontrato,ce.idlan, ce.tipo,ce.cdpro,p.dspro,p.un,ce.qtde,ce.lote,ce.dtv,"
    "ce.evcad from contrato_entregue ce left join produtos p on ce.cdpro = p.cdpro and p.idlic = "
    "ce.idlic where ce.idlic = ? and ce.idcontrato = ? and ce.idatend = ? order by p.dspro");
const QString kOpenSessions = QStringLiteral(
    "select ca.idcontrato,ca.idlan,ca.data,ca.hora,p.nmpac,pr.nmproc from contrato_agenda ca "
    "left join pacientes p on p.idpac like ca.idpac and p.idlic = ca.idlic left join "
    "procedimentos pr on pr.idproc like ca.idproc and pr.idlic = ca.idlic where ca.idprof <> "
    "'0' and ca.status = '0' and ca.data <= ? and ca.idlic = ? order by "
    "ca.data,ca.idcontrato,ca.idlan");

/// A code kept as text goes to an integer column as its number, or NULL when it is none.
QVariant codeValue(const QString& code) {
    return Formats::isDigitsOnly(code) ? QVariant(code.trimmed().toLongLong()) : QVariant();
}

/// A date that is none binds NULL.
QVariant dateValue(const std::optional<QDate>& date) {
    return QVariant(date.value_or(QDate()));
}

} // namespace

Lookup findSession(const QString& idlan, const QString& contract, Session& session) {
    const bool inContract = !contract.isEmpty();
    Params params{gIdLic, idlan};
    if (inContract)
        params.push_back(contract);
    Recordset rows = conexaoAberta().query(inContract ? kSession + kInContract : kSession, params);
    if (rows.isEmpty())
        return Lookup::NotFound;
    std::set<QString> contracts;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        contracts.insert(rows.text(QStringLiteral("idcontrato")));
    if (contracts.size() > 1)
        return Lookup::SeveralContracts;

    rows.moveFirst();
    auto t = [&rows](const char* column) { return rows.text(QString::fromLatin1(column)); };
    session = {t("idcontrato"), idlan,       t("idproc"), t("idprof"), t("idpac"), {},
               t("hora"),       t("nmproc"), t("nmpac"),  t("nmpro"),  QString()};
    session.date = rows.value(QStringLiteral("data")).toDate();
    session.birth = Formats::dateTextOf(rows.value(QStringLiteral("dtnasc")));
    return Lookup::Found;
}

std::optional<QString> findEvolution(const Session& session) {
    Recordset rows = conexaoAberta().query(kAttendance, {gIdLic, session.contract, session.idlan});
    if (rows.isEmpty())
        return std::nullopt;
    rows.moveFirst();
    return rows.text(QStringLiteral("dsev"));
}

Saved saveAttendance(const Session& session, bool rowExists, const Attendance& attendance) {
    Connection& db = conexaoAberta();
    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    Transaction transaction(db);
    // A concluded attendance never opens again: saved as open, it keeps its status and changes
    // its text, date and time only.
    QString status = attendance.status;
    const Recordset current =
        db.query(kAttendanceStatus, {gIdLic, session.contract, session.idlan});
    if (!current.isEmpty() && current.value(0, 0).toString() == QLatin1String("S")) {
        if (attendance.evolution.trimmed().isEmpty())
            return Saved::EvolutionRequired; // rolled back with the transaction
        status = QStringLiteral("S");
    }
    if (rowExists)
        db.execute(kUpdateAttendance,
                   {status, attendance.evolution, dateValue(attendance.date), attendance.time,
                    stamp, gIdLic, session.contract, session.idlan});
    else
        db.execute(kInsertAttendance,
                   {gIdLic, session.contract, session.idlan, codeValue(session.procedure),
                    dateValue(attendance.date), attendance.time, session.professional,
                    codeValue(session.patient), attendance.evolution, stamp, stamp, status});
    if (attendance.status == QLatin1String("S"))
        db.execute(kConclude, {gIdLic, session.contract, session.idlan});
    transaction.commit();
    return Saved::Written;
}

bool lotPurchased(const QString& supply, const QString& lot, const QDate& expiry) {
    return !conexaoAberta().query(kLot, {gIdLic, supply, lot, expiry}).isEmpty();
}

void saveDelivery(const Session& session, const Delivery& delivery) {
    Connection& db = conexaoAberta();
    Transaction transaction(db);
    db.execute(kInsertDelivery,
               {gIdLic, session.contract, codeValue(session.procedure), dateValue(delivery.date),
                delivery.supply, QVariant::fromValue(delivery.quantity),
                Formats::auditStamp(QStringLiteral(" ")), session.idlan, delivery.type,
                delivery.lot, delivery.expiry, QVariant::fromValue(delivery.cost)});
    transaction.commit();
}

void reverseDelivery(const QString& contract, const QString& idlan, long long line) {
    conexaoAberta().execute(kReverse, {gIdLic, contract, idlan, line});
}

void listDelivered(DataControl& list, const QString& contract, const QString& idlan) {
    list.setConnectionString(gStrConexao);
    if (contract.isEmpty())
        list.setRecordSource(kNoneDelivered, {gIdLic});
    else
        list.setRecordSource(kDelivered, {gIdLic, contract, idlan});
}

void listOpenSessions(DataControl& list) {
    list.setConnectionString(gStrConexao);
    list.setRecordSource(kOpenSessions, {Clock::today(), gIdLic});
}

} // namespace vtx::AttendanceRecords
