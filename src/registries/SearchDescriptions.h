// The descriptions of the six registry search dialogs.
#pragma once

#include "SearchDialog.h"

namespace vtx {

/// A dialog's names, the code and name it hands back, and the registration form of F12.
struct SearchIdentity {
    const char* formName;
    const char* caption;
    const char* code;
    const char* name;
    const char* menuItem;
    const char* registrationForm;
    const char* registrationCaption;
};

/// A dialog of one table listed by name: F2 narrows by name, F10 selects, F12 opens the
/// registration form when the user's rights allow it ("Perfil sem permissão!").
SearchDescription nameOnlySearch(const char* table, const char* heading, const SearchIdentity& i);

SearchDescription planSearch();
SearchDescription medicalFieldSearch();
SearchDescription procedureSearch();
SearchDescription patientSearch();
SearchDescription professionalSearch();
SearchDescription supplierSearch();

} // namespace vtx
