// The supplies stock' part in the opening of forms by name.
#pragma once

namespace vtx {

/// Registers the forms of this library with Forms, under their form names.
void registerStockForms();

} // namespace vtx
