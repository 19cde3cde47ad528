// The forms of the printing library, made known to the form opener.
#pragma once

namespace vtx {

/// Registers the print assistant "frmgerapdfp".
void registerPrintForms();

} // namespace vtx
