// Spreadsheet export through libxlsxwriter: text-formatted cells, rule fields left empty,
// column widths from the longest field of columns A to Z.
#include "SpreadsheetExport.h"

#include <algorithm>
#include <array>
#include <memory>

#include <QFile>

#include <xlsxwriter.h>

#include "Cp1252.h"
#include "PartialFile.h"
#include "ReportLines.h"

namespace vtx::SpreadsheetExport {

namespace {

constexpr int kFittedColumns = 26;

/// Blanks removed at both ends, as the report's readers trim.
QString trimBlanks(const QString& s) {
    qsizetype from = 0, to = s.size();
    while (from < to && s[from] == QLatin1Char(' '))
        ++from;
    while (to > from && s[to - 1] == QLatin1Char(' '))
        --to;
    return s.mid(from, to - from);
}

QString describe(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

QString workbookPath(const QString& chosenName) {
    return chosenName.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)
               ? chosenName
               : chosenName + QStringLiteral(".xlsx");
}

std::optional<QString> exportReport(const QString& textPath, const QString& workbookPath) {
    QFile input(textPath);
    if (!input.open(QIODevice::ReadOnly))
        return input.errorString();
    const QByteArray data = input.readAll();
    input.close();
    QList<QByteArray> lines;
    forEachLine(std::string_view(data.constData(), size_t(data.size())),
                [&lines](std::string_view line) {
                    lines << QByteArray(line.data(), qsizetype(line.size()));
                });

    const QByteArray path = QFile::encodeName(workbookPath);
    std::unique_ptr<lxw_workbook, lxw_error (*)(lxw_workbook*)> book(workbook_new(path.constData()),
                                                                     workbook_close);
    if (!book)
        return describe(LXW_ERROR_MEMORY_MALLOC_FAILED);
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), nullptr);
    lxw_format* text = workbook_add_format(book.get());
    format_set_num_format_index(text, 49); // the built-in text format "@"

    std::array<qsizetype, kFittedColumns> widths{};
    lxw_error failure = LXW_NO_ERROR;
    for (int row = 0; row < lines.size() && failure == LXW_NO_ERROR; ++row) {
        const QList<QByteArray> fields = lines[row].split('|');
        for (int col = 0; col < fields.size() && failure == LXW_NO_ERROR; ++col) {
            if (fields[col].startsWith("==="))
                continue;
            const QString value = trimBlanks(Cp1252::decode(fields[col]));
            failure = worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col),
                                             value.toUtf8().constData(), text);
            if (col < kFittedColumns)
                widths[col] = std::max(widths[col], value.size());
        }
    }
    for (int col = 0; col < kFittedColumns && failure == LXW_NO_ERROR; ++col)
        if (widths[col] > 0)
            failure = worksheet_set_column(sheet, lxw_col_t(col), lxw_col_t(col),
                                           double(widths[col] + 1), nullptr);
    const lxw_error closed = workbook_close(book.release());
    if (failure == LXW_NO_ERROR)
        failure = closed;
    if (failure != LXW_NO_ERROR) {
        removePartialFile(workbookPath);
        return describe(failure);
    }
    return std::nullopt;
}

} // namespace vtx::SpreadsheetExport
