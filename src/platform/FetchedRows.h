// The rows a select returned, kept column by column in the compact form the driver delivered
// them in; a cell becomes a QVariant only when it is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QVariant>

namespace vtx {

/// Read-only rows of a result: fixed-size values in 64 bits, text and bytes in one buffer a
/// column; NULLs kept apart.
class FetchedRows {
public:
    enum class Kind { Text, Integer, Real, Decimal, Date, Time, Timestamp, Binary };

    explicit FetchedRows(std::vector<Kind> kinds);

    int rowCount() const { return m_rows; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    Kind kind(int column) const { return m_columns[column].kind; }
    /// The cell as a QVariant: NULL, qlonglong, double, Decimal, QDate, QTime, QDateTime,
    /// QString or QByteArray.
    QVariant value(int row, int column) const;

    /// Filling: the values of new rows column by column, then endRows() with their count.
    void addNull(int column);
    void addFixed(int column, std::int64_t value) {
        Column& c = m_columns[column];
        c.nulls.push_back(0);
        c.fixed.push_back(value);
    }
    /// Bytes of a text (UTF-8), decimal (its plain text) or binary value.
    void addBytes(int column, const char* data, std::size_t length) {
        Column& c = m_columns[column];
        c.nulls.push_back(0);
        c.bytes.append(data, length);
        c.ends.push_back(c.bytes.size());
    }
    /// A value of bytes added in pieces: startBytes, then appendBytes as often as needed.
    void startBytes(int column) { addBytes(column, nullptr, 0); }
    void appendBytes(int column, const char* data, std::size_t length) {
        Column& c = m_columns[column];
        c.bytes.append(data, length);
        c.ends.back() = c.bytes.size();
    }
    void endRows(int count) { m_rows += count; }

    /// Dates and times packed into the 64 bits of a fixed value.
    static std::int64_t packDate(int year, int month, int day);
    static std::int64_t packTime(int hour, int minute, int second);
    static std::int64_t packMoment(int year, int month, int day, int hour, int minute, int second);

private:
    struct Column {
        Kind kind;
        std::vector<char> nulls;
        std::vector<std::int64_t> fixed; // one a row, for the fixed-size kinds
        std::string bytes;               // every row's bytes one after another
        std::vector<std::size_t> ends;   // where each row's bytes end
    };
    std::vector<Column> m_columns;
    int m_rows = 0;
};

} // namespace vtx
