// The clinic registries' part in the opening of forms by name.
#pragma once

namespace vtx {

/// Registers the registration forms of this library with Forms, under their form names.
void registerRegistryForms();

} // namespace vtx
