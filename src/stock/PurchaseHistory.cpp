// Purchase history statements, record lines and report.
#include "PurchaseHistory.h"

#include <vector>

#include "Decimal.h"
#include "Formats.h"
#include "PagedTextReport.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::PurchaseHistory {

namespace {

using F = ReportField;

/// Emissão, Chegada, Serie, N.Fiscal, MOD, Código, Descrição, Qtde, Vr Unit., Vr Frete,
/// Fornecedor: 141 characters of fields and 10 separators.
const std::vector<ReportField> kRecordFields{
    {8, F::Left},  {8, F::Left},  {3, F::Right},  {10, F::Right}, {3, F::Right}, {13, F::Left},
    {34, F::Left}, {8, F::Right}, {12, F::Right}, {12, F::Right}, {30, F::Left}};

std::vector<ReportField> lotFields() {
    std::vector<ReportField> fields = kRecordFields;
    fields[6].align = F::Right;
    return fields;
}

QString conditions(const Filter& filter) {
    return QStringLiteral(" where c.idlic = ? and c.dte >= ? and c.dte <= ? and c.cdfor ") +
           (filter.supplier ? QStringLiteral("= ?") : QStringLiteral("like ?")) +
           QStringLiteral(" and c.cdpro ") +
           (filter.supply.isEmpty() ? QStringLiteral("like ?") : QStringLiteral("= ?")) +
           QStringLiteral(" and c.status = ?");
}

QString shortDate(const QVariant& value) {
    return value.isNull() ? QString() : Formats::shortDateText(value.toDate());
}

} // namespace

QString listSql(const Filter& filter) {
    return QStringLiteral(
               "select c.dte,c.dtc,c.lote,c.dtv,c.serie,c.nfiscal,c.modelo,c.cdpro,c.qtde,c.vfinal,"
               "c.vfrete,p.dspro,f.nmfor from insumos_cmp c left join produtos p on p.idlic = "
               "c.idlic and c.cdpro = p.cdpro left join fornecedores f on f.idlic = c.idlic and "
               "c.cdfor = f.cdfor") +
           conditions(filter) + QStringLiteral(" order by c.dte,c.serie,c.nfiscal,c.modelo");
}

QString totalsSql(const Filter& filter) {
    // Rounded to 4 decimals, so that large sums still read as exact decimals.
    return QStringLiteral("select round(sum(c.vfinal*c.qtde),4) as StI,round(sum(c.vfrete*c.qtde),"
                          "4) as StF from insumos_cmp c") +
           conditions(filter);
}

Params params(const Filter& filter) {
    return {gIdLic,
            filter.from,
            filter.to,
            filter.supplier ? QVariant(*filter.supplier) : QVariant(QStringLiteral("%")),
            filter.supply.isEmpty() ? QStringLiteral("%") : filter.supply,
            QStringLiteral("S")};
}

QString headingLine() {
    std::vector<ReportField> left = kRecordFields;
    for (ReportField& field : left)
        field.align = F::Left;
    return joinFields({QStringLiteral("Emissão"), QStringLiteral("Chegada"),
                       QStringLiteral("Serie"), QStringLiteral("N.Fiscal"), QStringLiteral("MOD"),
                       QStringLiteral("Código"), QStringLiteral("Descrição"),
                       QStringLiteral("Qtde"), QStringLiteral("Vr Unit."),
                       QStringLiteral("Vr Frete"), QStringLiteral("Fornecedor")},
                      left);
}

namespace {

/// The columns of the list's select, looked up by name once for all its rows.
struct ListColumns {
    explicit ListColumns(const Recordset& rows) : m_rows(rows) {}

    QVariant at(int row, int column) const {
        return column < 0 ? QVariant() : m_rows.value(row, column);
    }
    int index(const char* name) const { return m_rows.columnIndex(QLatin1String(name)); }

    const Recordset& m_rows;
    const int dte = index("dte"), dtc = index("dtc"), serie = index("serie"),
              nfiscal = index("nfiscal"), modelo = index("modelo"), cdpro = index("cdpro"),
              dspro = index("dspro"), qtde = index("qtde"), vfinal = index("vfinal"),
              vfrete = index("vfrete"), nmfor = index("nmfor"), lote = index("lote"),
              dtv = index("dtv");
};

QStringList linesOf(const ListColumns& c, int row) {
    ReportLine record(kRecordFields);
    record << shortDate(c.at(row, c.dte)) << shortDate(c.at(row, c.dtc))
           << c.at(row, c.serie).toString() << c.at(row, c.nfiscal).toString()
           << c.at(row, c.modelo).toString() << c.at(row, c.cdpro).toString()
           << c.at(row, c.dspro).toString() << Formats::twoToFourDecimalsOf(c.at(row, c.qtde))
           << Formats::twoToFourDecimalsOf(c.at(row, c.vfinal))
           << Formats::twoToFourDecimalsOf(c.at(row, c.vfrete)) << c.at(row, c.nmfor).toString();
    QStringList lines{record.take()};
    const QString lot = c.at(row, c.lote).toString();
    if (!lot.trimmed().isEmpty()) {
        const QVariant expiry = c.at(row, c.dtv);
        const QString stored = Formats::dateTextOf(expiry);
        static const std::vector<ReportField> fields = lotFields();
        static const QStringList dashes{
            QString(8, QLatin1Char('-')),  QString(3, QLatin1Char('-')),
            QString(10, QLatin1Char('-')), QString(3, QLatin1Char('-')),
            QString(13, QLatin1Char('-')), QString(8, QLatin1Char('-')),
            QString(12, QLatin1Char('-')), QString(12, QLatin1Char('-')),
            QString(30, QLatin1Char('-'))};
        ReportLine lotLine(fields);
        lotLine << QStringLiteral("Lote") << dashes[0] << dashes[1] << dashes[2] << dashes[3]
                << dashes[4] << lot + QStringLiteral(" - ") + stored << dashes[5] << dashes[6]
                << dashes[7] << dashes[8];
        lines << lotLine.take();
    }
    return lines;
}

} // namespace

QStringList recordLines(const Recordset& rows, int row) {
    return linesOf(ListColumns(rows), row);
}

bool writeReport(const Recordset& rows, const QStringList& filterLines, const QString& totals,
                 QString* error) {
    PagedTextReport report(
        {QStringLiteral("hstcmpins"), QStringLiteral("hstcmpins_"),
         /*counterAfterHeader=*/12, /*pageBreakAt=*/54, /*lastEmptyLine=*/53},
        {QStringLiteral("Histórico de Compra de Insumos"), filterLines, headingLine()});
    bool ok = report.open();
    if (ok && rows.isEmpty()) {
        ok = report.finishHeaderOnly();
    } else if (ok) {
        const ListColumns columns(rows);
        for (int row = 0; row < rows.recordCount(); ++row)
            report.addRecord(linesOf(columns, row));
        ok = report.finish({totals});
    }
    if (!ok && error)
        *error = report.errorString();
    return ok;
}

} // namespace vtx::PurchaseHistory
