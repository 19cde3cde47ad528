// The treatment contracts' part in the opening of forms by name.
#pragma once

namespace vtx {

/// Registers the forms of this library with Forms, under their form names.
void registerContractForms();

} // namespace vtx
