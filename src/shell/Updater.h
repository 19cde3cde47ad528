// The download and start of the maker's updater program (menu item "Atualização").
#pragma once

namespace vtx {

/// Downloads "trevanu.exe" into the program folder with a progress window, starts it and ends
/// the program; on any failure says so and the program goes on. The main window is found by
/// its object name "frmPrincipal" and shows the hourglass meanwhile.
void BaixaAtualizacao();

} // namespace vtx
