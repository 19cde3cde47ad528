// The statements on agenda_clinica, every value bound.
#include "Bookings.h"

#include "ClockKey.h"
#include "Connection.h"
#include "Formats.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::Bookings {

namespace {

const QString kInsert = QStringLiteral(
    "insert into agenda_clinica (idlic,idagenda,fone,idpro,idesp,idconv,idpac,nmpac,dia,hr,obs,"
    "idproc,valor,status,evcad,evup,mobesp,vertmex) values "
    "(?,?,?,?,?,?,?,?,?,?,?,?,?,'0',?,?,?,?)");
const QString kLoad =
    QStringLiteral("select * from agenda_clinica where idlic = ? and idagenda = ?");
const QString kConflict =
    QStringLiteral("select idagenda from agenda_clinica where idlic = ? and dia = ? and hr = ? "
                   "and idpac = ? and idpro <> ?");
const QString kUpdate = QStringLiteral(
    "update agenda_clinica set vertmex = ?, mobesp = ?, fone = ?,idconv = ?,idpac = ?,"
    "nmpac = ?,dia = ?,hr = ?,obs = ?,idproc = ?, valor = ?, evup = ? "
    "where idlic = ? and idagenda = ? and coalesce(status, '') <> '2'");
// An attended booking stays attended: its status is never taken back, its data never changed
// and it is never deleted. A booking without a status is not attended.
const QString kNotified =
    QStringLiteral("update agenda_clinica set status = '1', evup = ? where idlic = ? and "
                   "idagenda = ? and coalesce(status, '') <> '2'");
const QString kDelete =
    QStringLiteral("delete from agenda_clinica where idlic = ? and idagenda = ? and "
                   "coalesce(status, '') <> '2'");
// The joins match the installation too, so that no other installation's name shows.
const QString kBookedRows = QStringLiteral(
    "select agenda_clinica.hr,agenda_clinica.nmpac,agenda_clinica.mobesp,agenda_clinica.fone,"
    "agenda_clinica.status,agenda_clinica.obs,agenda_clinica.idproc,agenda_clinica.evup,"
    "agenda_clinica.idagenda,procedimentos.nmproc,convenios.nmconv from agenda_clinica "
    "left join procedimentos on agenda_clinica.idlic = procedimentos.idlic and "
    "agenda_clinica.idproc = procedimentos.idproc "
    "left join convenios on agenda_clinica.idlic = convenios.idlic and "
    "agenda_clinica.idconv = convenios.idconv ");
const QString kOfDay =
    kBookedRows + QStringLiteral("where agenda_clinica.idlic = ? and idpro = ? and dia = ? "
                                 "and FIND_IN_SET(hr, REPLACE(?,'/',',')) "
                                 "order by agenda_clinica.hr, agenda_clinica.idagenda");
// Home bookings carry professional 0, which no day list shows.
const QString kHomeOfDay =
    kBookedRows +
    QStringLiteral(
        "where agenda_clinica.idlic = ? and idpro = 0 and agenda_clinica.vertmex = '1' and dia = ? "
        "order by agenda_clinica.hr, agenda_clinica.idagenda");

/// The rows of a select of kBookedRows, in their order.
std::vector<DayView::BookedRow> bookedRows(const Recordset& rows) {
    std::vector<DayView::BookedRow> out;
    out.reserve(rows.recordCount());
    const QStringList names{
        QStringLiteral("hr"),     QStringLiteral("nmpac"),   QStringLiteral("fone"),
        QStringLiteral("idproc"), QStringLiteral("nmproc"),  QStringLiteral("mobesp"),
        QStringLiteral("status"), QStringLiteral("nmconv"),  QStringLiteral("obs"),
        QStringLiteral("evup"),   QStringLiteral("idagenda")};
    std::vector<int> at;
    for (const QString& name : names)
        at.push_back(rows.columnIndex(name));
    for (int r = 0; r < rows.recordCount(); ++r) {
        auto text = [&](int i) { return rows.value(r, at[i]).toString(); };
        out.push_back({text(0), text(1), text(2), text(3), text(4), text(5), text(6), text(7),
                       text(8), text(9), text(10)});
    }
    return out;
}

QVariant amount(const std::optional<Decimal>& value) {
    return value ? QVariant::fromValue(value->rescaled(2)) : QVariant();
}

} // namespace

QString insert(Connection& connection, const Booking& b) {
    const ClockKeyPattern pattern{QString(), QStringLiteral("yyMMddHHmmss"),
                                  gUsuario.trimmed() + QString::number(b.idpro)};
    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    return ClockKeys::insertUnique(pattern, [&](const QString& key) {
        connection.execute(kInsert, {gIdLic, key, b.fone, b.idpro, b.idesp, b.idconv, b.idpac,
                                     b.nmpac, b.dia, b.hr, b.obs, b.idproc, amount(b.valor), stamp,
                                     stamp, b.mobesp, b.vertmex});
    });
}

std::optional<Booking> load(Connection& connection, const QString& key) {
    const Recordset row = connection.query(kLoad, {gIdLic, key});
    if (row.isEmpty())
        return std::nullopt;
    Booking b;
    b.idagenda = row.text(QStringLiteral("idagenda"));
    b.fone = row.text(QStringLiteral("fone"));
    b.idpro = row.value(QStringLiteral("idpro")).toLongLong();
    b.idesp = row.value(QStringLiteral("idesp")).toInt();
    b.idconv = row.value(QStringLiteral("idconv"));
    b.idpac = row.value(QStringLiteral("idpac"));
    b.nmpac = row.text(QStringLiteral("nmpac"));
    b.dia = row.value(QStringLiteral("dia")).toDate();
    b.hr = row.text(QStringLiteral("hr"));
    b.obs = row.text(QStringLiteral("obs"));
    b.idproc = row.value(QStringLiteral("idproc"));
    if (const QVariant valor = row.value(QStringLiteral("valor")); !valor.isNull())
        b.valor = valor.value<Decimal>();
    b.status = row.text(QStringLiteral("status"));
    b.mobesp = row.text(QStringLiteral("mobesp"));
    b.vertmex = row.text(QStringLiteral("vertmex"));
    return b;
}

bool conflicts(Connection& connection, const QDate& dia, const QString& hr, const QVariant& idpac,
               qlonglong idpro) {
    return !connection.query(kConflict, {gIdLic, dia, hr, idpac, idpro}).isEmpty();
}

bool update(Connection& connection, const Booking& b) {
    return connection.execute(kUpdate,
                              {b.vertmex, b.mobesp, b.fone, b.idconv, b.idpac, b.nmpac, b.dia, b.hr,
                               b.obs, b.idproc, amount(b.valor),
                               Formats::auditStamp(QStringLiteral(" ")), gIdLic, b.idagenda}) > 0;
}

bool confirmNotification(Connection& connection, const QString& key) {
    return connection.execute(kNotified, {Formats::auditStamp(QStringLiteral(" ")), gIdLic, key}) >
           0;
}

bool remove(Connection& connection, const QString& key) {
    return connection.execute(kDelete, {gIdLic, key}) > 0;
}

std::vector<DayView::BookedRow> ofDay(Connection& connection, qlonglong idpro, const QDate& dia,
                                      const QStringList& hours) {
    return bookedRows(connection.query(kOfDay, {gIdLic, idpro, dia, hours.join(QLatin1Char('/'))}));
}

std::vector<DayView::BookedRow> homeOfDay(Connection& connection, const QDate& dia) {
    return bookedRows(connection.query(kHomeOfDay, {gIdLic, dia}));
}

QString ofDaySql() {
    return kOfDay;
}

} // namespace vtx::Bookings
