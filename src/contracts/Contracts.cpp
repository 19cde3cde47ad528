// Registration of the treatment contracts' forms.
#include "Contracts.h"

#include "Forms.h"

namespace vtx {

void registerContractForms() {}

} // namespace vtx
