// The descriptions of the six registry search dialogs.
#pragma once

#include "SearchDialog.h"

namespace vtx {

SearchDescription planSearch();
SearchDescription medicalFieldSearch();
SearchDescription procedureSearch();
SearchDescription patientSearch();
SearchDescription professionalSearch();
SearchDescription supplierSearch();

} // namespace vtx
