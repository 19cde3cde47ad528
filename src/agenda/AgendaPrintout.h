// The printed day agenda: the day shown in the appointment book, drawn as an A4 PDF in the
// "temp" folder beside the program.
#pragma once

#include <QString>
#include <QStringList>

#include "DayView.h"

namespace vtx::AgendaPrintout {

/// What the printout takes of the window.
struct DayAgenda {
    bool home = false;    ///< the home-care sessions, not the professional's clinic day
    QString professional; ///< the chosen professional's item
    QString day;          ///< "AGENDA DO DIA: " and the date, as the window shows it
    QString titles;       ///< the column titles line
    QStringList lines;    ///< day-view lines
};

/// The lines of every page start at this y, under the band of titles; a line at or past
/// kPageEnd starts a new page.
inline constexpr double kFirstLineY = 90, kPageEnd = 765;

/// A day-view line as printed: its first 100 characters, each "|" made a blank.
QString printedLine(const QString& line);
/// A home-care session as a day-view line: the hour, patient, phone and procedure in the
/// fields of hour, patient, phone and "C/R", the others blank.
QString homeLine(const QString& hora, const QString& nmpac, const QString& fonepac,
                 const QString& nmproc);

/// A home booking of the appointment book as a line of the home agenda: a session's line with
/// "AGENDA: " before the patient, so that it is told from a contract session.
QString bookingLine(const DayView::BookedRow& booking);
/// The home agenda's lines: the sessions' and the bookings' lines together in the order of their
/// hour, a session before a booking of the same hour.
QStringList byHour(const QStringList& sessions, const QStringList& bookings);

/// Writes temp/cli_agenda_<yyMMddHHmmss>.pdf and names it in gArquivoPDF; true when the file
/// is there.
bool write(const DayAgenda& agenda);

} // namespace vtx::AgendaPrintout
