// The shell's forms that the menu opens by name.
#pragma once

namespace vtx {

/// Registers the shell's forms with the form opener.
void registerShellForms();

} // namespace vtx
