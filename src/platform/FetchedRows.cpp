// Compact rows, and their cells made into QVariants on reading.
#include "FetchedRows.h"

#include <bit>
#include <cstring>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "Decimal.h"

namespace vtx {

namespace {

bool isFixed(FetchedRows::Kind kind) {
    return kind != FetchedRows::Kind::Text && kind != FetchedRows::Kind::Decimal &&
           kind != FetchedRows::Kind::Binary;
}

QVariant decimalOf(const char* text, std::size_t length) {
    if (auto d = Decimal::fromPlainText(text, length))
        return QVariant::fromValue(*d);
    const QString spelled = QString::fromLatin1(text, static_cast<qsizetype>(length));
    if (auto d = Decimal::parse(spelled))
        return QVariant::fromValue(*d);
    return spelled;
}

} // namespace

FetchedRows::FetchedRows(std::vector<Kind> kinds) {
    m_columns.reserve(kinds.size());
    for (const Kind kind : kinds)
        m_columns.push_back(Column{kind, {}, {}, {}, {}});
}

std::int64_t FetchedRows::packDate(int year, int month, int day) {
    return (std::int64_t(year) << 16) | (month << 8) | day;
}

std::int64_t FetchedRows::packTime(int hour, int minute, int second) {
    return (std::int64_t(hour) << 16) | (minute << 8) | second;
}

std::int64_t FetchedRows::packMoment(int year, int month, int day, int hour, int minute,
                                     int second) {
    return (packDate(year, month, day) << 24) | packTime(hour, minute, second);
}

void FetchedRows::addNull(int column) {
    Column& c = m_columns[column];
    c.nulls.push_back(1);
    if (isFixed(c.kind))
        c.fixed.push_back(0);
    else
        c.ends.push_back(c.bytes.size());
}

QVariant FetchedRows::value(int row, int column) const {
    const Column& c = m_columns[column];
    if (c.nulls[row])
        return QVariant();
    const std::int64_t v = isFixed(c.kind) ? c.fixed[row] : 0;
    auto field = [](std::int64_t packed, int shift) { return int((packed >> shift) & 0xff); };
    switch (c.kind) {
    case Kind::Integer:
        return static_cast<qlonglong>(v);
    case Kind::Real:
        return std::bit_cast<double>(v);
    case Kind::Date:
        return QDate(int(v >> 16), field(v, 8), field(v, 0));
    case Kind::Time:
        return QTime(int(v >> 16), field(v, 8), field(v, 0));
    case Kind::Timestamp: {
        const std::int64_t day = v >> 24;
        return QDateTime(QDate(int(day >> 16), field(day, 8), field(day, 0)),
                         QTime(field(v, 16), field(v, 8), field(v, 0)));
    }
    default:
        break;
    }
    const std::size_t begin = row == 0 ? 0 : c.ends[row - 1];
    const char* data = c.bytes.data() + begin;
    const std::size_t length = c.ends[row] - begin;
    switch (c.kind) {
    case Kind::Binary:
        return QByteArray(data, static_cast<qsizetype>(length));
    case Kind::Decimal:
        return decimalOf(data, length);
    default:
        return QString::fromUtf8(data, static_cast<qsizetype>(length));
    }
}

} // namespace vtx
