// The columns' sizes and whether a value fits its column.
#include "ColumnLimits.h"

#include "DbError.h"

namespace vtx {

Decimal DecimalColumn::rounded(const Decimal& value) const {
    return value.atMostDecimals(scale);
}

bool DecimalColumn::holds(const Decimal& value) const {
    std::int64_t limit = 1;
    for (int i = 0; i < precision - scale; ++i)
        limit *= 10;
    try {
        const Decimal kept = rounded(value);
        return kept < Decimal(limit, 0) && kept > Decimal(-limit, 0);
    } catch (const UsageError&) {
        return false; // rounding carried past 64 bits: far past any column
    }
}

bool TextColumn::holds(const QString& text) const {
    return text.toUtf8().size() <= bytes;
}

namespace Columns {

std::span<const DecimalColumn* const> decimals() {
    static const DecimalColumn* const all[] = {
        &convenios::pdesc,
        &profissionais::valor,
        &produtos::vcusto,
        &produtos::qmin,
        &insumos_cmp::vfinal,
        &insumos_cmp::vfrete,
        &insumos_cmp::qtde,
        &contrato_procedimentos::qtde,
        &contrato_procedimentos::valor,
        &contrato_insumos::qtde,
        &contrato_entregue::qtde,
        &contrato_entregue::custo,
        &agenda_clinica::valor,
        &atendimentos::qtde,
        &atendimentos::valor,
        &atendimento_finan::valor,
        &cpagar::vrorig,
        &cpagar::vrpg,
        &cpagar::vrab,
        &cpagar::vrj,
        &cpagar::vrd,
        &cpagar_recibos::valor,
    };
    return all;
}

std::span<const TextColumn* const> texts() {
    static const TextColumn* const all[] = {
        &pacientes::obs,
        &profissionais::obs,
        &fornecedores::obs,
        &produtos::obs,
        &contrato::obs,
        &contrato_procedimentos::complemento,
        &contrato_prescricao::dspresc,
        &contrato_atendimento::dsev,
    };
    return all;
}

} // namespace Columns

} // namespace vtx
