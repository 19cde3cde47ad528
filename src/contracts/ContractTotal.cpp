// The contract total.
#include "ContractTotal.h"

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
    if (total.metaType().id() == qMetaTypeId<Decimal>())
        return total.value<Decimal>();
    // A product of two four-decimal columns carries eight decimals, mostly zeros: without
    // them the sum fits the exact decimal again.
    QString text = total.toString();
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return Decimal::parse(text);
}

QString contractTotalText(const QString& contractId) {
    const std::optional<Decimal> total = contractTotal(contractId);
    return total ? Formats::currency(*total) : QStringLiteral("VALOR FORA DO LIMITE!");
}

} // namespace vtx
