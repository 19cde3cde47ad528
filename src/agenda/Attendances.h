// The closing of an attendance: its procedure rows in atendimentos, its payment rows in
// atendimento_finan and the booking marked attended, written together.
#pragma once

#include <vector>

#include <QDate>
#include <QString>

#include "AttendanceLines.h"

namespace vtx {

class Connection;
struct ClockKeyPattern;

/// The booking an attendance closes, as the attendance dialog got it.
struct AttendedBooking {
    QString idagenda;
    QDate dia;
    QString hr; ///< "hh:mm"
    QString idprof;
    QString idpac;
};

namespace Attendances {

enum class Closing {
    Written,
    AlreadyAttended, ///< the booking's status was "2" already: nothing written
    BookingMissing,  ///< the booking is gone: nothing written
    BookingChanged,  ///< its day, hour, patient or professional is not the dialog's: nothing
                     ///< written
};

/// The attendance key: "0", the patient code and the clock as "ddMMyyyyHHmmss".
ClockKeyPattern attendanceKey(const QString& idpac);
/// The key of a procedure row: installation, "0", the day "ddMMyy", the hour "hhmm", then the
/// patient, procedure and professional codes. Two rows of one procedure share it.
QString lineKey(const AttendedBooking& booking, const QString& idproc);

/// In one transaction: reads the booking for update, checks that it still has the day, hour,
/// patient and professional given, writes one row per procedure and per payment under a new
/// attendance key and sets the booking's status to "2". Anything but Written, and any DbError
/// thrown, leaves nothing written.
Closing close(Connection& connection, const AttendedBooking& booking,
              const std::vector<ProcedureLine>& procedures,
              const std::vector<PaymentLine>& payments);

} // namespace Attendances

} // namespace vtx
