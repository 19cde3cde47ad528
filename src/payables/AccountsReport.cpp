// The accounts report's statements, lines and printout.
#include "AccountsReport.h"

#include <vector>

#include "Connection.h"
#include "Decimal.h"
#include "Formats.h"
#include "PagedTextReport.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx::AccountsReport {

namespace {

using F = ReportField;

/// How one field of a line is filled from a column of the row.
enum class Kind { Date, Amount, Text };

struct Column {
    const char* heading;
    const char* column;
    Kind kind;
    ReportField field;
};

const std::vector<Column> kOpen{{"Dt.Vecto", "dtv", Kind::Date, {10, F::Left}},
                                {"Vr Aberto", "vrab", Kind::Amount, {15, F::Right}},
                                {"Documento No", "nrdoc", Kind::Text, {22, F::Left}},
                                {"Parcela", "parcela", Kind::Text, {7, F::Left}},
                                {"Fornecedor", "nmfor", Kind::Text, {45, F::Left}},
                                {"Obs", "obs", Kind::Text, {45, F::Left}}};
const std::vector<Column> kSettled{{"Dt.Baixa", "dtp", Kind::Date, {10, F::Left}},
                                   {"Vr.Baixado", "vrpg", Kind::Amount, {15, F::Right}},
                                   {"Dt.Vecto", "dtv", Kind::Date, {10, F::Left}},
                                   {"Vr Aberto", "vrorig", Kind::Amount, {15, F::Right}},
                                   {"Documento No", "nrdoc", Kind::Text, {22, F::Left}},
                                   {"Parcela", "parcela", Kind::Text, {7, F::Left}},
                                   {"Fornecedor", "nmfor", Kind::Text, {40, F::Left}},
                                   {"Recibo No", "nrrec", Kind::Text, {22, F::Left}}};

const std::vector<Column>& columnsOf(Situation s) {
    return s == Situation::Open ? kOpen : kSettled;
}

const QString kOpenSelect = QStringLiteral(
    "select c.nrdoc,c.parcela,c.dtv,c.vrab,f.nmfor,c.obs from cpagar c left join fornecedores f "
    "on c.cdfor = f.cdfor where c.idlic = ? and c.pago = 'N' and c.vrab > 0 and  c.dtv >= ? "
    "and c.dtv <= ? %1 order by c.dtv");
const QString kSettledSelect = QStringLiteral(
    "select c.nrdoc,c.parcela,c.dtp,c.vrpg,c.dtv,c.vrorig,f.nmfor,c.nrrec from cpagar c left join "
    "fornecedores f on c.cdfor = f.cdfor where c.idlic = ? and c.pago = 'S' and c.dtp >= ? and "
    "c.dtp <= ? %1 order by c.dtp,c.parcela");

} // namespace

QString heading(Situation situation) {
    QStringList texts;
    std::vector<ReportField> fields;
    for (const Column& c : columnsOf(situation)) {
        texts << QLatin1String(c.heading);
        fields.push_back({c.field.width, F::Left});
    }
    return joinFields(texts, fields);
}

QStringList build(Connection& connection, const Choice& choice) {
    const QString filter = choice.supplier ? QStringLiteral(" and c.cdfor like ?") : QString();
    Params params{gIdLic, choice.start, choice.end};
    if (choice.supplier)
        params.push_back(*choice.supplier);
    return lines(
        connection.query(
            (choice.situation == Situation::Open ? kOpenSelect : kSettledSelect).arg(filter),
            params),
        choice.situation);
}

QStringList lines(const Recordset& rows, Situation situation) {
    const std::vector<Column>& columns = columnsOf(situation);
    std::vector<int> index;
    std::vector<ReportField> fields;
    int amount = -1;
    for (const Column& c : columns) {
        index.push_back(rows.columnIndex(QLatin1String(c.column)));
        fields.push_back(c.field);
        if (c.kind == Kind::Amount && amount < 0)
            amount = int(index.size()) - 1;
    }
    QStringList lines;
    lines.reserve(rows.recordCount() + 2);
    QStringList values;
    // The total adds the amounts themselves, not their texts cut to the column.
    Decimal total(0, 2);
    for (int r = 0; r < rows.recordCount(); ++r) {
        values.clear();
        for (size_t i = 0; i < columns.size(); ++i) {
            const QVariant v = rows.value(r, index[i]);
            if (v.isNull()) {
                values << QString();
                continue;
            }
            switch (columns[i].kind) {
            case Kind::Date:
                values << Formats::dateText(v.toDate());
                break;
            case Kind::Amount: {
                const Decimal d = v.value<Decimal>();
                values << Formats::currency(d);
                if (int(i) == amount)
                    total = total + d;
                break;
            }
            case Kind::Text:
                values << v.toString();
                break;
            }
        }
        lines << joinFields(values, fields);
    }
    lines << QString(149, QLatin1Char('-'));
    lines << QStringLiteral("Total: ") + Formats::currency(total);
    return lines;
}

std::optional<QString> write(const QStringList& entries, const PrintHeader& header) {
    PagedTextReport report(
        {QStringLiteral("relcontas_"), QStringLiteral("relcontas_"),
         /*counterAfterHeader=*/10, /*pageBreakAt=*/54, /*lastEmptyLine=*/54},
        {QStringLiteral("Relatório de Contas"), {header.filters, header.supplier}, header.heading});
    if (!report.open())
        return report.errorString();
    for (const QString& entry : entries)
        report.addRecord({entry});
    if (!report.finish({}))
        return report.errorString();
    return std::nullopt;
}

} // namespace vtx::AccountsReport
