// What the appointment book's forms share in handling input: a registry code typed in a box,
// a search dialog's choice put into a code box and its name box, and database failures shown.
#pragma once

#include <functional>
#include <optional>

#include <QString>

class QLineEdit;

namespace vtx {

/// Runs database work; a failure is shown as "--- ERRO --- " and the driver's text, and gives
/// false.
bool reportingDbErrors(const std::function<void()>& work);

/// The registry code in a box: 1 to 18 digits, blanks around allowed; nothing otherwise.
std::optional<qlonglong> codeIn(const QLineEdit* box);

/// Opens a search dialog with gCodBusca set to the start code and gNomeBusca empty; a numeric
/// code chosen goes trimmed into the code box, then the name into the name box. True when a
/// code was chosen.
bool searchInto(void (*runDialog)(), QLineEdit* code, QLineEdit* name,
                const QString& startCode = QString());

} // namespace vtx
