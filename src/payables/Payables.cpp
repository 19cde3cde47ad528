// Registration of the accounts payable' forms.
#include "Payables.h"

#include "Forms.h"

namespace vtx {

void registerPayablesForms() {}

} // namespace vtx
