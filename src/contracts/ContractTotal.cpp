// The contract total.
#include "ContractTotal.h"

#include "ColumnLimits.h"
#include "Formats.h"
#include "Recordset.h"
#include "Session.h"

namespace vtx {

std::optional<Decimal> contractTotal(const QString& contractId) {
    Recordset sum = conexaoAberta().query(
        QStringLiteral("select sum(qtde*valor) as vrtl from contrato_procedimentos "
                       "where idlic = ? and idcontrato = ?"),
        {gIdLic, contractId});
    const QVariant total = sum.isEmpty() ? QVariant() : sum.value(0, 0);
    if (total.isNull())
        return Decimal();
    std::optional<Decimal> read;
    if (total.metaType().id() == qMetaTypeId<Decimal>()) {
        read = total.value<Decimal>();
    } else {
        // A product of two four-decimal columns carries eight decimals, mostly zeros: without
        // them the sum fits the exact decimal again.
        QString text = total.toString();
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.')))
                text.chop(1);
        }
        read = Decimal::parse(text);
    }
    // The total is an amount of the contract, in the range of a line's value.
    if (!read || !Columns::contrato_procedimentos::valor.holds(*read))
        return std::nullopt;
    return read;
}

QString contractTotalText(const QString& contractId) {
    return Formats::currencyOrOutOfRange(contractTotal(contractId));
}

} // namespace vtx
