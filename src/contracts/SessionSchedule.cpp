// The generator's rule of cycles and the writing of a procedure's sessions.
#include "SessionSchedule.h"

#include <limits>

#include <QStringList>

#include "Connection.h"
#include "Decimal.h"
#include "Formats.h"
#include "NamedLock.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx {

namespace {

/// The lock that two generations of one contract procedure, on any workstations, take turns
/// at. The server folds the contract key as its comparisons of idcontrato do; the name holds a
/// digest, as the server limits its length.
LockName scheduleLock(const QString& contractId, qlonglong procedure) {
    return {QStringLiteral("concat('vertalumex.agenda.', md5(concat(?, '|', ?, '|', "
                           "weight_string(convert(? using utf8mb4) collate utf8mb4_general_ci))))"),
            {gIdLic, procedure, contractId}};
}

} // namespace

std::optional<std::vector<QDateTime>> generateSessions(const SchedulePlan& plan) {
    // Moments without a time zone: a session day is never shifted by daylight saving.
    QDateTime cursor(plan.start, plan.time, Qt::UTC);
    const QDate lastDate = plan.start.addYears(kMaxYears);
    std::vector<QDateTime> sessions;
    int cycles = 0;
    while (cycles < plan.cycles) {
        if (cursor.date() > lastDate)
            return std::nullopt;
        const int weekday = cursor.date().dayOfWeek() % 7; // Sunday 0 .. Saturday 6
        if (!plan.weekdays[weekday]) {
            cursor = QDateTime(cursor.date().addDays(1), plan.time, Qt::UTC);
            continue;
        }
        if (std::ssize(sessions) == kMaxSessions)
            return std::nullopt;
        sessions.push_back(cursor);
        cursor = cursor.addSecs(qint64(plan.intervalHours) * 3600);
        if (cursor.time().hour() == plan.time.hour() &&
            cursor.time().minute() == plan.time.minute())
            ++cycles;
    }
    return sessions;
}

std::optional<int> roundedInt16(const QString& text) {
    const std::optional<Decimal> value = Formats::parseAmount(text);
    if (!value)
        return std::nullopt;
    // Half to even (2,5 is 2 and 3,5 is 4), as "Horas" and "Dias" are taken.
    const std::int64_t whole = value->roundedHalfToEven(0).units();
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<int>(whole);
}

bool isSessionTime(QString& text) {
    text = text.trimmed();
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2 || !Formats::isDigitsOnly(parts[0]) || !Formats::isDigitsOnly(parts[1]))
        return false;
    // Each part must hold in 16 bits, as the check converts it.
    bool hourOk = false, minuteOk = false;
    const short hour = parts[0].trimmed().toShort(&hourOk);
    const short minute = parts[1].trimmed().toShort(&minuteOk);
    return hourOk && minuteOk && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

QString sessionTime(const QString& validTime) {
    const QStringList parts = validTime.split(QLatin1Char(':'));
    return QTime(parts[0].trimmed().toInt(), parts[1].trimmed().toInt())
        .toString(QStringLiteral("HH:mm"));
}

SessionsInUse sessionsInUse(Connection& db, const QString& contractId, const QString& procedure) {
    const Recordset counts = db.query(
        QStringLiteral("select count(case when idprof <> '0' then 1 end) as comprof,"
                       "count(case when status = '1' then 1 end) as concluidas from "
                       "contrato_agenda where idlic = ? and idcontrato = ? and idproc = ?"),
        {gIdLic, contractId, procedure.trimmed().toLongLong()});
    return {counts.value(QStringLiteral("comprof")).toLongLong(),
            counts.value(QStringLiteral("concluidas")).toLongLong()};
}

void replaceSessions(Connection& db, const QString& contractId, const QString& procedure,
                     const QVariant& patient, const std::vector<QDateTime>& moments) {
    const qlonglong code = procedure.trimmed().toLongLong();
    std::vector<Params> rows;
    rows.reserve(moments.size());
    for (const QDateTime& m : moments)
        rows.push_back({gIdLic, contractId,
                        procedure + QLatin1Char('_') + m.toString(QStringLiteral("yyMMddHHmm")),
                        code, m.date(), m.toString(QStringLiteral("HH:mm")), patient});
    // A second generation started meanwhile waits, then replaces this one's sessions.
    NamedLock lock(db, scheduleLock(contractId, code),
                   QStringLiteral("Outra estação está gerando a agenda deste procedimento. "
                                  "Tente novamente."));
    Transaction tx(db);
    db.execute(QStringLiteral("DELETE FROM contrato_agenda WHERE idlic = ? AND idcontrato = ? "
                              "AND idproc = ?"),
               {gIdLic, contractId, code});
    if (!rows.empty())
        db.executeBatch(QStringLiteral("INSERT INTO contrato_agenda (idlic,idcontrato,idlan,idproc,"
                                       "data,hora,idpac) VALUES (?,?,?,?,?,?,?)"),
                        rows);
    tx.commit();
}

} // namespace vtx
