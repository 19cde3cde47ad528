// The grid columns of the contract forms: headed by their column names, as the data grids show
// them, with amounts in the pattern the boxes use.
#pragma once

#include <initializer_list>

#include "GridModel.h"

namespace vtx {

/// One column per name, headed by the name; a name marked with a trailing '#' is an amount
/// shown with two to four decimals, with '~' with up to four ("1,5").
QList<GridColumn> namedColumns(std::initializer_list<const char*> names);

} // namespace vtx
