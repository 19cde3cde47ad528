// The purchase history: its statements over the closed purchase lines and its paged text report.
#pragma once

#include <optional>

#include <QDate>
#include <QStringList>

#include "Connection.h"

namespace vtx {

class Recordset;

namespace PurchaseHistory {

/// What the report lists: closed lines issued in the period, of one supplier and one supply
/// when given.
struct Filter {
    QDate from;
    QDate to;
    std::optional<qlonglong> supplier;
    QString supply; ///< empty: every supply
};

/// The lines with their supply's description and supplier's name, by issue date and invoice.
QString listSql(const Filter& filter);
/// The sums of goods (StI) and freight (StF) of the same lines.
QString totalsSql(const Filter& filter);
/// The values of both statements.
Params params(const Filter& filter);

/// The report's heading line: the column titles in the widths of the record line.
QString headingLine();
/// The text lines of one row: its record line, and its lot line when it has a lot.
QStringList recordLines(const Recordset& rows, int row);

/// Writes the paged text report of the rows into the "temp" folder (gArquivoTXT, gArquivoPDF):
/// the header with the three filter lines, the rows, then the totals line. False, with the
/// reason, when the file could not be written whole.
bool writeReport(const Recordset& rows, const QStringList& filterLines, const QString& totals,
                 QString* error);

} // namespace PurchaseHistory

} // namespace vtx
