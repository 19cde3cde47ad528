// The lines of the appointment book's day list: the title line, a booked hour's line, a free
// hour's line, and the building of one professional's day from the rows read.
#pragma once

#include <array>
#include <vector>

#include <QString>
#include <QStringList>

namespace vtx::DayView {

/// Widths of the eight fields of a booked line: hour, patient, phone, procedure, mobility,
/// status, plan and note.
inline constexpr std::array<int, 8> kWidths{5, 40, 15, 20, 7, 3, 15, 30};

/// The single line of a day without working hours.
inline const QString kBlocked = QStringLiteral("BLOQUEADA");

/// One booking as the day list shows it; a missing value is an empty text.
struct BookedRow {
    QString hr, nmpac, fone, idproc, nmproc, mobesp, status, nmconv, obs, evup, idagenda;
};

/// The lines of a day and the number of booked lines among them.
struct Day {
    QStringList lines;
    int clinicCount = 0;
};

/// The eight fields, each padded or cut to its width, joined by "|".
QString fieldsLine(const std::array<QString, 8>& fields);
/// The column titles, padded to the widths and joined by "|".
QString titleLine();
/// The eight fields padded or cut to their widths, then the last change and the key.
QString bookedLine(const BookedRow& row);

/// An hour of a working-hours list as "hh:mm" ("8:15" gives "08:15", "8" gives "08:00");
/// an item that is no hour comes back trimmed.
QString normalizedHour(const QString& item);
/// The hours of a working-hours list ("/" between them), normalized; empty items left out.
QStringList hoursOf(const QString& list);

/// The day of one professional: for each working-hours row, in the order of their hours as
/// read, its booked hours and then its free hours. A booking is listed once, under the first row
/// that holds its hour, and one whose hour no row holds is not listed; an hour listed already is
/// not repeated. No row gives the single line "BLOQUEADA".
Day build(std::vector<QStringList> rowHours, const std::vector<BookedRow>& bookings);

/// Whether a line begins with a time: two digits, ":" and two digits.
bool isTimeLine(const QString& line);
/// Field n (from 0) of a line split at "|"; empty when the line has fewer fields.
QString field(const QString& line, int n);

} // namespace vtx::DayView
