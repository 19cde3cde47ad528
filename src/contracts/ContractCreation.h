// A new contract for a patient: the patient's identity, address, plan, responsible person and
// anamnesis copied into a contract row in quote status.
#pragma once

#include <optional>

#include <QString>

namespace vtx {

/// Reads the patient on the shared connection and inserts the contract on a connection of its
/// own, under a clock key "yymmddhhmmss" and the patient code that no other contract holds.
/// The new contract id, or nothing when the installation has no such patient; throws DbError.
std::optional<QString> createContract(qlonglong patientCode);

} // namespace vtx
