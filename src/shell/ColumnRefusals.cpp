// The refusals of a value past its column.
#include "ColumnRefusals.h"

#include "Formats.h"
#include "Prompter.h"

namespace vtx {

void refuseOutOfRange() {
    errorBox(QStringLiteral("VALOR FORA DO LIMITE!"), MsgIcon::Exclamation);
}

bool refuseTooLong(const QString& typed) {
    if (!Formats::isTooLongAmount(typed))
        return false;
    refuseOutOfRange();
    return true;
}

bool valuesFit(std::initializer_list<ColumnValue> values) {
    for (const ColumnValue& v : values)
        if (!v.column.holds(v.value)) {
            refuseOutOfRange();
            return false;
        }
    return true;
}

bool nonNegativeFits(const DecimalColumn& column, const Decimal& value, const QString& negative) {
    if (value.isNegative()) {
        errorBox(negative, MsgIcon::Exclamation);
        return false;
    }
    return valuesFit({{column, value}});
}

bool textFits(const TextColumn& column, const QString& text) {
    if (column.holds(text))
        return true;
    errorBox(QStringLiteral("TEXTO DE ") + QString::fromUtf8(column.field) +
                 QStringLiteral(" ACIMA DO LIMITE DE ") +
                 Formats::amountText(Decimal::fromInt(column.bytes), 0) + QStringLiteral(" BYTES!"),
             MsgIcon::Exclamation);
    return false;
}

} // namespace vtx
