// The shared input routines every data-entry form calls.
#pragma once

#include <QString>

class QLineEdit;

namespace vtx {

/// Sends keys in the platform's send-keys notation; the forms send "{TAB}" on Enter.
void EnviaTeclas(const QString& keys, bool wait = false);

/// Date typing mask, called with each typed character of a date box before it is applied:
/// digits and Backspace pass ("/" inserted after the day and the month), others become 0.
void MascaraData(int& keyAscii, QLineEdit* box);

/// Checks a CPF or CNPJ by its check digits; outcome in gRetorno and gDocFormatado. A bare
/// 14-digit CNPJ in the argument is replaced by its formatted form.
void ValidaCPFCNPJ(QString& documento);

/// Age in whole years from a birth date ("dd/mm/yyyy", "yyyy/mm/dd" or ISO); empty when the
/// text is no date.
QString CalculaIdade(const QString& nascimento);

} // namespace vtx
