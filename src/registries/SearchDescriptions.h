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

/// A dialog of one table's names: F2 by name, F10, F12 refused with the text given.
SearchDescription nameOnlySearch(const char* table, const char* heading, const SearchIdentity& i,
                                 const QString& refusal);

SearchDescription planSearch();
SearchDescription medicalFieldSearch();
SearchDescription procedureSearch();
SearchDescription patientSearch();
SearchDescription professionalSearch();
SearchDescription supplierSearch();

} // namespace vtx
