// Purchase totals and the per-unit freight.
#include "PurchaseTotals.h"

#include "Formats.h"
#include "Recordset.h"

namespace vtx {

namespace {

Decimal decimalAt(const Recordset& rows, int row, int column) {
    const QVariant value = column < 0 ? QVariant() : rows.value(row, column);
    return value.isNull() ? Decimal() : value.value<Decimal>();
}

} // namespace

PurchaseTotals PurchaseTotals::of(const Recordset& lines) {
    const int qtde = lines.columnIndex(QStringLiteral("qtde"));
    const int vfinal = lines.columnIndex(QStringLiteral("vfinal"));
    const int vfrete = lines.columnIndex(QStringLiteral("vfrete"));
    PurchaseTotals totals;
    for (int row = 0; row < lines.recordCount(); ++row) {
        const Decimal quantity = decimalAt(lines, row, qtde);
        totals.quantity = totals.quantity + quantity;
        totals.goods = totals.goods + quantity * decimalAt(lines, row, vfinal);
        totals.freight = totals.freight + quantity * decimalAt(lines, row, vfrete);
    }
    return totals;
}

QString PurchaseTotals::caption() const {
    return QStringLiteral("Qtde TL: ") + Formats::decimalText(quantity, 0, 4) +
           QStringLiteral(" Tl Frete: ") + Formats::currency(freight) +
           QStringLiteral(" Tl Insumos: ") + Formats::currency(goods) +
           QStringLiteral(" Tl Final: ") + Formats::currency(goods + freight);
}

Decimal unitFreight(const Decimal& unitValue, const Decimal& amount, const Decimal& goodsTotal) {
    return unitValue.timesDividedBy(amount, goodsTotal, 4);
}

} // namespace vtx
