// Registration of the supplies stock' forms.
#include "Stock.h"

#include "Forms.h"

namespace vtx {

void registerStockForms() {}

} // namespace vtx
