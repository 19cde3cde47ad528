// The twin tables of cost centres and sub cost centres: what their registration forms and
// search dialogs are made of.
#pragma once

#include "RegistryForm.h"
#include "SearchDialog.h"

namespace vtx::CostCentres {

/// Which of the twins.
enum class Kind { Centre, SubCentre };

/// The table, its list and the audit stamp of the registration form.
RegistryTable table(Kind kind);
/// The search dialog: by name, F10, F12 checked against the rights table.
SearchDescription search(Kind kind);

} // namespace vtx::CostCentres
