// The appointment table agenda_clinica: one booking of a patient with a professional on a day
// and hour, and the statements that read, write and delete it.
#pragma once

#include <optional>
#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "DayView.h"
#include "Decimal.h"

namespace vtx {

class Connection;

/// One row of agenda_clinica as the booking frame reads and writes it.
struct Booking {
    QString idagenda;
    QString fone;
    qlonglong idpro = 0; ///< 0 for a home booking
    int idesp = 0;
    QVariant idconv; ///< the codes and the price are null when the column is
    QVariant idpac;
    QString nmpac;
    QDate dia;
    QString hr;
    QString obs;
    QVariant idproc;
    std::optional<Decimal> valor;
    QString status = QStringLiteral("0"); ///< "0" booked, "1" notified, "2" attended
    QString mobesp;                       ///< the whole item, "0 - Não" or "1 - Sim"
    QString vertmex;                      ///< "0" clinic, "1" home
};

namespace Bookings {

/// Inserts a new booking with status "0" and both audit stamps; its key is the clock
/// ("yymmddhhmmss"), the trimmed user and the professional code, moved on a second when
/// another row holds it. Run inside the caller's transaction; returns the key written.
QString insert(Connection& connection, const Booking& booking);
/// The booking of the key, or nothing when it is gone.
std::optional<Booking> load(Connection& connection, const QString& key);
/// Whether the patient has a booking at that day and hour with a professional code other
/// than the one given (0 for home care).
bool conflicts(Connection& connection, const QDate& dia, const QString& hr, const QVariant& idpac,
               qlonglong idpro);
/// Rewrites place, mobility, phone, plan, patient, day, hour, note, procedure, price and the
/// last-change stamp; the professional, specialty, status and evcad stay. False when the
/// booking is gone or attended (at another workstation), which is then left as it is.
bool update(Connection& connection, const Booking& booking);
/// Marks the booking's patient as notified (status "1") and stamps the change; false when the
/// booking was attended (status "2", which stays) or cancelled meanwhile.
bool confirmNotification(Connection& connection, const QString& key);
/// Deletes the booking (its cancellation); false when it is gone or attended, which stays.
bool remove(Connection& connection, const QString& key);

/// The professional's bookings on the day whose hour is one of the hours, with the names of
/// their procedure and plan, in the database's order.
std::vector<DayView::BookedRow> ofDay(Connection& connection, qlonglong idpro, const QDate& dia,
                                      const QStringList& hours);
/// The day's home bookings (place "1 - Home", professional 0), by hour, with the names of their
/// procedure and plan.
std::vector<DayView::BookedRow> homeOfDay(Connection& connection, const QDate& dia);
/// The select of ofDay; its values: the installation, the professional, the day and the hours
/// joined by "/".
QString ofDaySql();

} // namespace Bookings

} // namespace vtx
