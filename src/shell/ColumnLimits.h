// The DECIMAL and TEXT columns the program writes, with their sizes as the schema declares them,
// and the check of a value against its column.
#pragma once

#include <span>

#include <QString>

#include "Decimal.h"

namespace vtx {

/// A DECIMAL(precision, scale) column.
struct DecimalColumn {
    const char* table;
    const char* column;
    int precision;
    int scale;

    /// The value as the column keeps it: at most `scale` decimals, rounded half away from zero
    /// as the server rounds.
    Decimal rounded(const Decimal& value) const;
    /// Whether the value, rounded as kept, has no more whole digits than the column holds.
    bool holds(const Decimal& value) const;
};

/// A TEXT column: at most `bytes` bytes of UTF-8, typed in the field named `field`.
struct TextColumn {
    const char* table;
    const char* column;
    qsizetype bytes;
    const char* field;

    bool holds(const QString& text) const;
};

namespace Columns {

constexpr qsizetype kTextBytes = 65535;

namespace convenios {
inline constexpr DecimalColumn pdesc{"convenios", "pdesc", 12, 2};
}
namespace pacientes {
inline constexpr TextColumn obs{"pacientes", "obs", kTextBytes, "INFORMAÇÕES ADICIONAIS"};
}
namespace profissionais {
inline constexpr DecimalColumn valor{"profissionais", "valor", 15, 2};
inline constexpr TextColumn obs{"profissionais", "obs", kTextBytes, "INFORMAÇÕES ADICIONAIS"};
} // namespace profissionais
namespace fornecedores {
inline constexpr TextColumn obs{"fornecedores", "obs", kTextBytes, "INFORMAÇÕES ADICIONAIS"};
}
namespace produtos {
inline constexpr DecimalColumn vcusto{"produtos", "vcusto", 17, 4};
inline constexpr DecimalColumn qmin{"produtos", "qmin", 17, 4};
inline constexpr TextColumn obs{"produtos", "obs", kTextBytes, "INFORMAÇÕES ADICIONAIS"};
} // namespace produtos
namespace insumos_cmp {
inline constexpr DecimalColumn vfinal{"insumos_cmp", "vfinal", 17, 4};
inline constexpr DecimalColumn vfrete{"insumos_cmp", "vfrete", 17, 4};
inline constexpr DecimalColumn qtde{"insumos_cmp", "qtde", 17, 4};
} // namespace insumos_cmp
namespace contrato {
inline constexpr TextColumn obs{"contrato", "obs", kTextBytes, "INFORMAÇÕES ADICIONAIS"};
}
namespace contrato_procedimentos {
inline constexpr DecimalColumn qtde{"contrato_procedimentos", "qtde", 17, 4};
inline constexpr DecimalColumn valor{"contrato_procedimentos", "valor", 17, 4};
inline constexpr TextColumn complemento{"contrato_procedimentos", "complemento", kTextBytes,
                                        "COMPLEMENTO"};
} // namespace contrato_procedimentos
namespace contrato_prescricao {
inline constexpr TextColumn dspresc{"contrato_prescricao", "dspresc", kTextBytes, "PRESCRIÇÃO"};
}
namespace contrato_insumos {
inline constexpr DecimalColumn qtde{"contrato_insumos", "qtde", 17, 4};
}
namespace contrato_atendimento {
inline constexpr TextColumn dsev{"contrato_atendimento", "dsev", kTextBytes, "EVOLUÇÃO"};
}
namespace contrato_entregue {
inline constexpr DecimalColumn qtde{"contrato_entregue", "qtde", 17, 4};
inline constexpr DecimalColumn custo{"contrato_entregue", "custo", 17, 4};
} // namespace contrato_entregue
namespace agenda_clinica {
inline constexpr DecimalColumn valor{"agenda_clinica", "valor", 15, 2};
}
namespace atendimentos {
inline constexpr DecimalColumn qtde{"atendimentos", "qtde", 17, 4};
inline constexpr DecimalColumn valor{"atendimentos", "valor", 17, 4};
} // namespace atendimentos
namespace atendimento_finan {
inline constexpr DecimalColumn valor{"atendimento_finan", "valor", 17, 4};
}
namespace cpagar {
inline constexpr DecimalColumn vrorig{"cpagar", "vrorig", 15, 2};
inline constexpr DecimalColumn vrpg{"cpagar", "vrpg", 15, 2};
inline constexpr DecimalColumn vrab{"cpagar", "vrab", 15, 2};
inline constexpr DecimalColumn vrj{"cpagar", "vrj", 15, 2};
inline constexpr DecimalColumn vrd{"cpagar", "vrd", 15, 2};
} // namespace cpagar
namespace cpagar_recibos {
inline constexpr DecimalColumn valor{"cpagar_recibos", "valor", 15, 2};
}

/// Every DECIMAL column the program writes.
std::span<const DecimalColumn* const> decimals();
/// Every TEXT column the program writes.
std::span<const TextColumn* const> texts();

} // namespace Columns

} // namespace vtx
