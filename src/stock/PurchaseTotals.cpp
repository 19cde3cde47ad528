// Purchase totals and the per-unit freight.
#include "PurchaseTotals.h"

#include "DbError.h"
#include "Formats.h"
#include "Recordset.h"

namespace vtx {

namespace {

/// The sums over the lines; with freightColumn -1 the freight counts as 0.
PurchaseTotals sum(const Recordset& lines, int freightColumn) {
    const int qtde = lines.columnIndex(QStringLiteral("qtde"));
    const int vfinal = lines.columnIndex(QStringLiteral("vfinal"));
    PurchaseTotals totals;
    for (int row = 0; row < lines.recordCount(); ++row)
        totals.add(lineAmount(lines, row, qtde), lineAmount(lines, row, vfinal),
                   lineAmount(lines, row, freightColumn));
    return totals;
}

} // namespace

PurchaseTotals PurchaseTotals::of(const Recordset& lines) {
    return sum(lines, lines.columnIndex(QStringLiteral("vfrete")));
}

Decimal PurchaseTotals::goodsInCentsOf(const Recordset& lines) {
    return sum(lines, -1).goods.rescaled(2);
}

bool PurchaseTotals::fit(const Recordset& lines, const Decimal& qtde, const Decimal& vfinal) {
    try {
        PurchaseTotals totals = of(lines);
        totals.add(qtde, vfinal, Decimal());
        static_cast<void>(totals.final());
        return true;
    } catch (const UsageError&) {
        return false;
    }
}

void PurchaseTotals::add(const Decimal& qtde, const Decimal& vfinal, const Decimal& vfrete) {
    quantity = quantity + qtde;
    goods = goods + qtde * vfinal;
    freight = freight + qtde * vfrete;
}

QString PurchaseTotals::caption() const {
    return QStringLiteral("Qtde TL: ") + Formats::decimalText(quantity, 0, 4) +
           QStringLiteral(" Tl Frete: ") + Formats::currency(freight) +
           QStringLiteral(" Tl Insumos: ") + Formats::currency(goods) +
           QStringLiteral(" Tl Final: ") + Formats::currency(final());
}

Decimal lineAmount(const Recordset& lines, int row, int column) {
    const QVariant value = column < 0 ? QVariant() : lines.value(row, column);
    return value.isNull() ? Decimal() : value.value<Decimal>();
}

Decimal unitFreight(const Decimal& unitValue, const Decimal& amount, const Decimal& goodsTotal) {
    return unitValue.timesDividedBy(amount, goodsTotal, 4);
}

} // namespace vtx
