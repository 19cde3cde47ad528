// The spreadsheet export of a paged text report: one row per line, one column per "|" field.
#pragma once

#include <optional>

#include <QString>

namespace vtx::SpreadsheetExport {

/// The workbook file for a chosen name: ".xlsx" is added unless the name ends with it.
QString workbookPath(const QString& chosenName);

/// Writes the Windows-1252 text report into an .xlsx workbook, every cell as text; returns
/// the failure's description, or nothing when the workbook was written.
std::optional<QString> exportReport(const QString& textPath, const QString& workbookPath);

} // namespace vtx::SpreadsheetExport
