// The statements of an attendance's closing, every value bound.
#include "Attendances.h"

#include "ClockKey.h"
#include "ColumnLimits.h"
#include "Connection.h"
#include "Formats.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::Attendances {

namespace {

// The booking is locked until the closing commits, so that a second closing of it waits and
// then finds it attended, and a change of it at another workstation waits for the closing.
const QString kBooking = QStringLiteral("select status,dia,hr,idpac,idpro from agenda_clinica "
                                        "where idlic = ? and idagenda = ? for update");
// Locks the key's place in the index too, so that two closings of one patient in the same
// second cannot both take it.
const QString kKeyTaken = QStringLiteral(
    "select idatendimento from atendimentos where idlic = ? and idatendimento = ? for update");
const QString kProcedure = QStringLiteral(
    "insert into atendimentos (idlan,idlic,vertmex,idprof,idproc,dt,hr,qtde,valor,cf,"
    "idatendimento,idconv,evcad,idpac) values (?,?,'0',?,?,?,?,?,?,'N',?,?,?,?)");
const QString kPayment =
    QStringLiteral("insert into atendimento_finan (idlic,idatend,mp,obs,valor,cf,evcad) values "
                   "(?,?,?,?,?,'N',?)");
const QString kAttended =
    QStringLiteral("update agenda_clinica set status = '2' where idlic = ? and idagenda = ?");

QString hhmm(const QString& hour) {
    return QString(hour).remove(QLatin1Char(':')).trimmed();
}

/// Whether a stored code is the one shown: both empty, or the same number.
bool sameCode(const QVariant& stored, const QString& shown) {
    bool number = false;
    const qlonglong code = shown.trimmed().toLongLong(&number);
    return stored.isNull() ? shown.trimmed().isEmpty() : number && code == stored.toLongLong();
}

/// Whether the locked row is still the booking the attendance dialog showed.
bool unchanged(const Recordset& row, const AttendedBooking& booking) {
    return row.value(QStringLiteral("dia")).toDate() == booking.dia &&
           row.text(QStringLiteral("hr")).trimmed() == booking.hr.trimmed() &&
           sameCode(row.value(QStringLiteral("idpac")), booking.idpac) &&
           sameCode(row.value(QStringLiteral("idpro")), booking.idprof);
}

/// A value as its column keeps it.
QVariant kept(const DecimalColumn& column, const Decimal& value) {
    return QVariant::fromValue(column.rounded(value));
}

} // namespace

ClockKeyPattern attendanceKey(const QString& idpac) {
    return {QStringLiteral("0") + idpac.trimmed(), QStringLiteral("ddMMyyyyHHmmss"), QString()};
}

QString lineKey(const AttendedBooking& booking, const QString& idproc) {
    return gIdLic.trimmed() + QLatin1Char('0') + booking.dia.toString(QStringLiteral("ddMMyy")) +
           hhmm(booking.hr) + booking.idpac.trimmed() + idproc.trimmed() + booking.idprof.trimmed();
}

Closing close(Connection& connection, const AttendedBooking& booking,
              const std::vector<ProcedureLine>& procedures,
              const std::vector<PaymentLine>& payments) {
    Transaction transaction(connection);
    const Recordset row = connection.query(kBooking, {gIdLic, booking.idagenda});
    if (row.isEmpty())
        return Closing::BookingMissing;
    if (row.text(QStringLiteral("status")).trimmed() == QLatin1String("2"))
        return Closing::AlreadyAttended;
    if (!unchanged(row, booking))
        return Closing::BookingChanged;

    const QString key =
        ClockKeys::firstFree(attendanceKey(booking.idpac), [&](const QString& candidate) {
            return connection.query(kKeyTaken, {gIdLic, candidate}).isEmpty();
        });
    const QVariant day = booking.dia.isValid() ? QVariant(booking.dia) : QVariant();
    std::vector<Params> rows;
    for (const ProcedureLine& line : procedures)
        rows.push_back({lineKey(booking, line.idproc), gIdLic, booking.idprof.trimmed(),
                        line.idproc.trimmed(), day, hhmm(booking.hr),
                        kept(Columns::atendimentos::qtde, line.qtde),
                        kept(Columns::atendimentos::valor, line.valor), key, line.idconv.trimmed(),
                        Formats::auditStamp(QStringLiteral(" ")), booking.idpac.trimmed()});
    connection.executeBatch(kProcedure, rows);
    rows.clear();
    for (const PaymentLine& line : payments)
        rows.push_back({gIdLic, key, line.mp.trimmed(), line.obs.trimmed(),
                        kept(Columns::atendimento_finan::valor, line.valor),
                        Formats::auditStamp(QStringLiteral(" "))});
    connection.executeBatch(kPayment, rows);
    connection.execute(kAttended, {gIdLic, booking.idagenda});
    transaction.commit();
    return Closing::Written;
}

} // namespace vtx::Attendances
