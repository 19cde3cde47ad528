// Working-hours item texts and the hour-list check.
#include "HourList.h"

#include <QStringList>

#include "Formats.h"

namespace vtx::HourList {

namespace {

QString padded(const QString& text) {
    return text.leftJustified(kNameWidth, QLatin1Char(' '), /*truncate=*/true);
}

/// A part made of digits alone (blanks around allowed) whose value lies in 0..max.
bool isPartInRange(const QString& part, int max) {
    if (!Formats::isDigitsOnly(part))
        return false;
    bool ok = false;
    const int value = part.trimmed().toInt(&ok);
    return ok && value <= max;
}

} // namespace

QString professionalItem(const QString& name, const QString& specialty, const QString& place,
                         const QString& specialtyCode, const QString& professionalCode) {
    return QStringList{padded(name), padded(specialty), place, specialtyCode, professionalCode}
        .join(QLatin1Char('|'));
}

QString homeItem() {
    const QString home = padded(QStringLiteral("HOME"));
    return professionalItem(home, home, QStringLiteral("1"), QStringLiteral("0"),
                            QStringLiteral("0"));
}

bool isValid(const QString& list) {
    for (const QString& piece : list.split(QLatin1Char('/'))) {
        if (piece.isEmpty())
            continue;
        const QStringList parts = piece.split(QLatin1Char(':'));
        if (!isPartInRange(parts.at(0), 23))
            return false;
        if (parts.size() > 1 && !isPartInRange(parts.at(1), 59))
            return false;
    }
    return true;
}

} // namespace vtx::HourList
