// Date, amount and stamp formats, independent of the workstation's locale.
#include "Formats.h"

#include <cstdint>

#include <QRegularExpression>

#include "Clock.h"
#include "Session.h"

namespace vtx::Formats {

namespace {

/// "dd/MM/" and the year's last yearDigits digits (2 or 4), written directly: QDate::toString
/// reads its format anew for every date. An invalid date, or a year outside 0..9999, takes
/// QDate::toString's way with the same format.
QString dayFirstText(const QDate& date, int yearDigits, const QString& format) {
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 0 || year > 9999)
        return date.toString(format);
    char16_t text[10] = {char16_t(u'0' + day / 10),   char16_t(u'0' + day % 10),   u'/',
                         char16_t(u'0' + month / 10), char16_t(u'0' + month % 10), u'/'};
    for (int i = 5 + yearDigits; i > 5; --i, year /= 10)
        text[i] = char16_t(u'0' + year % 10);
    return QString(reinterpret_cast<const QChar*>(text), 6 + yearDigits);
}

} // namespace

QString dateText(const QDate& date) {
    return dayFirstText(date, 4, QStringLiteral("dd/MM/yyyy"));
}
QString dateTextOf(const QVariant& stored) {
    return stored.isNull() ? QString() : dateText(stored.toDate());
}
QString shortDateText(const QDate& date) {
    return dayFirstText(date, 2, QStringLiteral("dd/MM/yy"));
}
QString sqlDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}
QString timeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm"));
}
QString dateTimeText(const QDateTime& moment) {
    return moment.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

std::optional<QDate> parseDate(const QString& text) {
    static const QRegularExpression dayFirst(
        QStringLiteral(R"(^\s*(\d{1,2})[/.-](\d{1,2})[/.-](\d{2}|\d{4})\s*$)"));
    static const QRegularExpression yearFirst(
        QStringLiteral(R"(^\s*(\d{4})[/-](\d{1,2})[/-](\d{1,2})(?:[ T].*)?\s*$)"));
    QDate date;
    if (auto m = yearFirst.match(text); m.hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    } else if (auto d = dayFirst.match(text); d.hasMatch()) {
        int year = d.captured(3).toInt();
        if (d.captured(3).size() == 2)
            year += year < 30 ? 2000 : 1900;
        date = QDate(year, d.captured(2).toInt(), d.captured(1).toInt());
    }
    if (!date.isValid())
        return std::nullopt;
    return date;
}

namespace {

DecimalReading readAmount(const QString& text) {
    // A currency text as the screens show it ("R$ 1.234,50", "-R$ 50,00") reads as its amount;
    // a minus before the number may stand apart from it ("- 150", "- R$ 10,00").
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-'))) {
        negative = true;
        t = t.mid(1).trimmed();
    }
    if (t.startsWith(QLatin1String("R$")))
        t = t.mid(2).trimmed();
    // One sign: a number after a minus of its own carries none.
    if (negative && (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))))
        return {};
    DecimalReading reading = Decimal::read(t, QLatin1Char(','));
    if (negative && reading.value)
        reading.value = Decimal(-reading.value->units(), reading.value->scale());
    return reading;
}

} // namespace

std::optional<Decimal> parseAmount(const QString& text) {
    return readAmount(text).value;
}

bool isTooLongAmount(const QString& text) {
    return readAmount(text).tooLong;
}

bool isTypedNumber(const QString& text) {
    const DecimalReading reading = readAmount(text);
    return reading.value || reading.tooLong;
}

QString amountText(const Decimal& amount, int decimals) {
    const Decimal d = amount.rescaled(decimals);
    QString plain = d.toString();
    const bool negative = plain.startsWith(QLatin1Char('-'));
    if (negative)
        plain.remove(0, 1);
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? plain : plain.left(point);
    const QString fraction = point < 0 ? QString() : plain.mid(point + 1);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char('.'));
    QString out = negative ? QLatin1Char('-') + whole : whole;
    if (!fraction.isEmpty())
        out += QLatin1Char(',') + fraction;
    return out;
}

QString decimalText(const Decimal& value, int minDecimals, int maxDecimals) {
    QString text = value.rescaled(maxDecimals).toString();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        qsizetype end = text.size();
        while (end - point - 1 > minDecimals && text[end - 1] == QLatin1Char('0'))
            --end;
        text.truncate(end - point - 1 == 0 ? point : end);
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    if (minDecimals > 0 && point < 0)
        text += QLatin1Char(',') + QString(minDecimals, QLatin1Char('0'));
    return text;
}

QString twoToFourDecimals(const Decimal& value) {
    const std::int64_t units = value.rescaled(4).units();
    std::uint64_t whole = units < 0 ? 0 - std::uint64_t(units) : std::uint64_t(units);
    std::uint64_t fraction = whole % 10000;
    whole /= 10000;
    int decimals = 4;
    while (decimals > 2 && fraction % 10 == 0) {
        fraction /= 10;
        --decimals;
    }
    char text[32];
    char* const end = text + sizeof text;
    char* at = end;
    for (int i = 0; i < decimals; ++i, fraction /= 10)
        *--at = char('0' + fraction % 10);
    *--at = ',';
    do
        *--at = char('0' + whole % 10);
    while (whole /= 10);
    if (units < 0)
        *--at = '-';
    return QString::fromLatin1(at, end - at);
}

QString twoToFourDecimalsOf(const QVariant& stored) {
    return stored.isNull() ? QString() : twoToFourDecimals(stored.value<Decimal>());
}

QString plainAmount(const Decimal& amount, int decimals) {
    return decimalText(amount, decimals, decimals);
}

QString currency(const Decimal& amount) {
    QString text = amountText(amount, 2);
    if (text.startsWith(QLatin1Char('-')))
        return QStringLiteral("-R$ ") + text.mid(1);
    return QStringLiteral("R$ ") + text;
}

QString currencyOrOutOfRange(const std::optional<Decimal>& amount) {
    return amount ? currency(*amount) : QStringLiteral("VALOR FORA DO LIMITE!");
}

bool isDigitsOnly(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

std::optional<qlonglong> numericCode(const QString& text) {
    if (!isDigitsOnly(text) || text.trimmed().size() > 18)
        return std::nullopt;
    return text.trimmed().toLongLong();
}

QString auditStamp(const QString& separator) {
    return gUsuario + separator + dateTimeText(Clock::now());
}

} // namespace vtx::Formats
