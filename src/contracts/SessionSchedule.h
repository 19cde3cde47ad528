// The session schedule of a contract procedure: the generator's rule of cycles, the numbers
// and times the generator form takes, and the replacement of a procedure's sessions.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

namespace vtx {

class Connection;

/// The most sessions one generation may make, and the most years of dates it may cover.
inline constexpr int kMaxSessions = 5000;
inline constexpr int kMaxYears = 3;

/// What the sessions are generated from.
struct SchedulePlan {
    QDate start;
    QTime time;
    int intervalHours = 0;
    /// How many times the running time of day must come back to the start time.
    int cycles = 0;
    /// Ticked weekdays, Sunday first.
    std::array<bool, 7> weekdays{};
};

/// The sessions' moments: from the start, each ticked day's sessions every interval hours, an
/// unticked day skipped to the next date at the start time, until the time of day has come back
/// to the start time `cycles` times. Nothing when the sessions would pass kMaxSessions or dates
/// kMaxYears years after the start (so also when no ticked day ever lets a cycle close).
std::optional<std::vector<QDateTime>> generateSessions(const SchedulePlan& plan);

/// A typed number ("2", "0,5", "1.000") rounded half to even to a 16-bit whole number, as
/// "Horas" and "Dias" are taken; nothing when it is no number or falls outside 16 bits.
std::optional<int> roundedInt16(const QString& text);

/// Trims the text; true when it is hour:minute, each part digits only, 0-23 and 0-59.
bool isSessionTime(QString& text);
/// A valid session time as "hh:nn" ("9:5" gives "09:05").
QString sessionTime(const QString& validTime);

/// The sessions of a contract procedure that a new generation would take away with the rest:
/// those a professional took (idprof not '0') and those concluded (status '1').
struct SessionsInUse {
    long long withProfessional = 0;
    long long concluded = 0;
};
/// Counts them as the procedure's sessions stand now. Throws DbError.
SessionsInUse sessionsInUse(Connection& db, const QString& contractId, const QString& procedure);

/// Replaces every session of the procedure in the contract by sessions at these moments, keyed
/// procedure + "_" + "yymmddhhnn": the delete and all the inserts in one transaction, so a
/// failure leaves the former sessions, under the procedure's lock, so that a generation started
/// meanwhile on another workstation waits and then replaces these. Throws DbError (also when
/// another generation holds the lock for ten seconds).
void replaceSessions(Connection& db, const QString& contractId, const QString& procedure,
                     const QVariant& patient, const std::vector<QDateTime>& moments);

} // namespace vtx
