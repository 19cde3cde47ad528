// The refusals of a value past its column: the message the forms show instead of writing it.
#pragma once

#include <initializer_list>

#include "ColumnLimits.h"

namespace vtx {

/// A value typed or computed for a column, checked with the others of the same write.
struct ColumnValue {
    const DecimalColumn& column;
    Decimal value;
};

/// "--- ERRO --- VALOR FORA DO LIMITE!" (exclamation, "ATENÇÃO").
void refuseOutOfRange();
/// A typed amount whose number has more digits than any amount holds (Formats::isTooLongAmount):
/// refuseOutOfRange() and true, so that nothing is written; false for any other text.
bool refuseTooLong(const QString& typed);
/// True when every value fits its column once rounded as kept; otherwise refuseOutOfRange()
/// and false, so that nothing is written.
bool valuesFit(std::initializer_list<ColumnValue> values);
/// A value that may not be negative: below zero, "--- ERRO --- " and the message given
/// (exclamation, "ATENÇÃO") and false; otherwise as valuesFit() for its column.
bool nonNegativeFits(const DecimalColumn& column, const Decimal& value, const QString& negative);
/// True when the text fits its column; otherwise a message naming the field and its limit, and
/// false, so that nothing is written (a text is never cut).
bool textFits(const TextColumn& column, const QString& text);

} // namespace vtx
