// Day list lines and the building of a day from its working hours and bookings.
#include "DayView.h"

#include <algorithm>
#include <set>

#include "Formats.h"

namespace vtx::DayView {

namespace {

/// A value padded or cut to its width; a "|" typed in it would shift the fields after it.
QString fitted(QString text, int width) {
    text.replace(QLatin1Char('|'), QLatin1Char('/'));
    return text.leftJustified(width, QLatin1Char(' '), /*truncate=*/true);
}

/// A whole number 0..max written with one or two digits (blanks around allowed).
std::optional<int> twoDigitPart(const QString& part, int max) {
    const QString t = part.trimmed();
    if (t.size() > 2 || !Formats::isDigitsOnly(t))
        return std::nullopt;
    const int value = t.toInt();
    return value <= max ? std::optional(value) : std::nullopt;
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

QString fieldsLine(const std::array<QString, 8>& fields) {
    QStringList parts;
    for (std::size_t i = 0; i < fields.size(); ++i)
        parts << fitted(fields[i], kWidths[i]);
    return parts.join(QLatin1Char('|'));
}

QString titleLine() {
    return fieldsLine({QStringLiteral("Horário"), QStringLiteral("Paciente"),
                       QStringLiteral("Telefone"), QStringLiteral("C/R"), QStringLiteral("Mobil?"),
                       QStringLiteral("CF?"), QStringLiteral("Convênio"), QStringLiteral("OBS")});
}

QString bookedLine(const BookedRow& row) {
    return fieldsLine({row.hr, row.nmpac, row.fone, row.idproc + QLatin1Char(' ') + row.nmproc,
                       row.mobesp, row.status, row.nmconv, row.obs}) +
           QLatin1Char('|') + row.evup + QLatin1Char('|') + row.idagenda;
}

QString normalizedHour(const QString& item) {
    const QStringList parts = item.split(QLatin1Char(':'));
    const std::optional<int> hour = twoDigitPart(parts.at(0), 23);
    const std::optional<int> minutes =
        parts.size() == 1 ? std::optional(0) : twoDigitPart(parts.at(1), 59);
    if (!hour || !minutes || parts.size() > 2)
        return item.trimmed();
    return QStringLiteral("%1:%2")
        .arg(*hour, 2, 10, QLatin1Char('0'))
        .arg(*minutes, 2, 10, QLatin1Char('0'));
}

QStringList hoursOf(const QString& list) {
    QStringList hours;
    for (const QString& item : list.split(QLatin1Char('/')))
        if (!item.trimmed().isEmpty())
            hours << normalizedHour(item);
    return hours;
}

Day build(std::vector<QStringList> rowHours, const std::vector<BookedRow>& bookings) {
    Day day;
    if (rowHours.empty()) {
        day.lines << kBlocked;
        return day;
    }
    // By their hours as read, so that "8:00/..." comes before "16:00/...".
    std::stable_sort(rowHours.begin(), rowHours.end(),
                     [](const QStringList& a, const QStringList& b) {
                         return a.join(QLatin1Char('/')) < b.join(QLatin1Char('/'));
                     });
    std::vector<bool> listed(bookings.size(), false);
    std::set<QString> hoursShown; // the first five characters of every line so far
    for (const QStringList& hours : rowHours) {
        for (std::size_t i = 0; i < bookings.size(); ++i) {
            if (listed[i] || !hours.contains(bookings[i].hr))
                continue;
            listed[i] = true;
            day.lines << bookedLine(bookings[i]);
            hoursShown.insert(day.lines.back().left(5));
            ++day.clinicCount;
        }
        for (const QString& hour : hours) {
            if (hoursShown.count(hour.left(5)))
                continue;
            day.lines << hour.leftJustified(5);
            hoursShown.insert(day.lines.back().left(5));
        }
    }
    return day;
}

bool isTimeLine(const QString& line) {
    return line.size() >= 5 && isDigit(line[0]) && isDigit(line[1]) &&
           line[2] == QLatin1Char(':') && isDigit(line[3]) && isDigit(line[4]);
}

QString field(const QString& line, int n) {
    const QStringList fields = line.split(QLatin1Char('|'));
    return n < fields.size() ? fields.at(n) : QString();
}

} // namespace vtx::DayView
