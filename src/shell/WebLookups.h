// Address and company lookups on the public postal-code and company-registry services.
#pragma once

#include <QString>

namespace vtx {

/// The address of a postal code as "street|district|city|state|municipality code", in upper
/// case; the street is the street type, a blank and the street name. When the service cannot
/// be reached or answers with an error, says so in a message box and returns an empty text.
QString BuscaCEP(const QString& cep);

/// The company-registry answer (JSON text) for a CNPJ; "404 Error" when the service does not
/// know it; an empty text, without a box of its own, when the service fails (the caller
/// reports the failed fill-in).
QString ConsultaCNPJ(const QString& cnpj);

/// The value of a member of the answer's outer object: a string with its escapes decoded or
/// a bare value as written; empty when the member is absent, null or not closed.
QString ExtraiValorJSON(const QString& resposta, const QString& chave);

/// The postal-code service's JSON answer for a postal code (read with ExtraiValorJSON, key
/// "ibge"); empty when it could not be had.
QString consultaCEPJson(const QString& cep);

} // namespace vtx
