// The statements of the attendance record: a session found by its key, its attendance row,
// the supplies delivered at it, and the lots the purchases hold.
#pragma once

#include <optional>

#include <QDate>
#include <QString>

#include "Decimal.h"

namespace vtx {

class DataControl;

namespace AttendanceRecords {

/// A session of the schedule with the names the form shows.
struct Session {
    QString contract, idlan, procedure, professional, patient;
    QDate date;
    QString time;
    QString procedureName, patientName, professionalName;
    QString birth; // "dd/mm/yyyy", empty when unknown
};

enum class Lookup { Found, NotFound, SeveralContracts };

/// The session of the key in the given contract, or in any contract when none is given; a key
/// that stands in more than one contract is not taken. Throws DbError.
Lookup findSession(const QString& idlan, const QString& contract, Session& session);

/// The evolution text of the session's attendance row; nothing when it has none.
std::optional<QString> findEvolution(const Session& session);

/// The attendance values typed on the form.
struct Attendance {
    QString status; // "S" concluded, "N" still open
    QString evolution;
    std::optional<QDate> date;
    QString time;
};

/// What saving an attendance did.
enum class Saved {
    Written,
    /// The row is concluded and keeps its status, so it needs an evolution text: nothing written.
    EvolutionRequired,
};

/// Updates the session's attendance row (or inserts it when it has none) and, when concluded,
/// closes the session in the schedule: one transaction. A row already concluded, read locked,
/// stays concluded when saved as open. Throws DbError, writing nothing.
Saved saveAttendance(const Session& session, bool rowExists, const Attendance& attendance);

/// Whether a purchase line holds the supply with this lot and expiry.
bool lotPurchased(const QString& supply, const QString& lot, const QDate& expiry);

/// One supply delivered at the session.
struct Delivery {
    std::optional<QDate> date;
    QString supply;
    Decimal quantity;
    QString type, lot, expiry; // the expiry as typed
    Decimal cost;
};
void saveDelivery(const Session& session, const Delivery& delivery);

/// Deletes one delivered line of a session's contract.
void reverseDelivery(const QString& contract, const QString& idlan, long long line);

/// Points a data control at the supplies delivered at a session (none: contract and key "0").
void listDelivered(DataControl& list, const QString& contract, const QString& idlan);
/// Points a data control at the open sessions of the installation up to today.
void listOpenSessions(DataControl& list);

} // namespace AttendanceRecords
} // namespace vtx
