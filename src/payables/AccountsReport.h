// The accounts report: the open or the settled instalments of a period as fixed-width lines
// with a rule and a total, and their paged text printout.
#pragma once

#include <optional>

#include <QDate>
#include <QString>
#include <QStringList>

namespace vtx {

class Connection;
class Recordset;

namespace AccountsReport {

/// Open instalments (by due date) or settled ones (by payment date).
enum class Situation { Open, Settled };

/// What the form chose: the situation, the inclusive period and, optionally, one supplier.
struct Choice {
    Situation situation = Situation::Open;
    QDate start;
    QDate end;
    std::optional<qlonglong> supplier;
};

/// The column headings in the lines' fields (149 characters open, 148 settled).
QString heading(Situation situation);

/// The rows of the report's select: one line per row, then a rule of 149 "-" and "Total: " with
/// the exact sum of the amounts listed (a NULL prints blank).
QStringList lines(const Recordset& rows, Situation situation);
/// Runs the report's select and gives its lines. Throws DbError.
QStringList build(Connection& connection, const Choice& choice);

/// The printout's header lines 4 and 5, as the form's boxes hold them.
struct PrintHeader {
    QString filters;  // "Tipo: ... Situação: ...Período: ... ..."
    QString supplier; // "Fornecedor: <code> <name>"
    QString heading;
};

/// Writes the list as a paged text report into the "temp" folder (gArquivoTXT, gArquivoPDF);
/// the file's error text when it could not be written, nothing otherwise.
std::optional<QString> write(const QStringList& entries, const PrintHeader& header);

} // namespace AccountsReport

} // namespace vtx
