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
    return value.isNull() ? QString() : value.toDate().toString(QStringLiteral("dd/MM/yy"));
}

QString twoToFour(const QVariant& value) {
    return value.isNull() ? QString() : Formats::decimalText(value.value<Decimal>(), 2, 4);
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

QStringList recordLines(const Recordset& rows, int row) {
    auto at = [&](const char* column) {
        const int c = rows.columnIndex(QLatin1String(column));
        return c < 0 ? QVariant() : rows.value(row, c);
    };
    QStringList lines{
        joinFields({shortDate(at("dte")), shortDate(at("dtc")), at("serie").toString(),
                    at("nfiscal").toString(), at("modelo").toString(), at("cdpro").toString(),
                    at("dspro").toString(), twoToFour(at("qtde")), twoToFour(at("vfinal")),
                    twoToFour(at("vfrete")), at("nmfor").toString()},
                   kRecordFields)};
    const QString lot = at("lote").toString();
    if (!lot.trimmed().isEmpty()) {
        const QVariant expiry = at("dtv");
        const QString stored = expiry.isNull() ? QString() : Formats::dateText(expiry.toDate());
        static const std::vector<ReportField> fields = lotFields();
        lines << joinFields({QStringLiteral("Lote"), QString(8, QLatin1Char('-')),
                             QString(3, QLatin1Char('-')), QString(10, QLatin1Char('-')),
                             QString(3, QLatin1Char('-')), QString(13, QLatin1Char('-')),
                             lot + QStringLiteral(" - ") + stored, QString(8, QLatin1Char('-')),
                             QString(12, QLatin1Char('-')), QString(12, QLatin1Char('-')),
                             QString(30, QLatin1Char('-'))},
                            fields);
    }
    return lines;
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
        for (int row = 0; row < rows.recordCount(); ++row)
            report.addRecord(recordLines(rows, row));
        ok = report.finish({totals});
    }
    if (!ok && error)
        *error = report.errorString();
    return ok;
}

} // namespace vtx::PurchaseHistory
