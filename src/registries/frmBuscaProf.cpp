// The home-care professional search dialog.
#include "frmBuscaProf.h"

#include "SearchDescriptions.h"

namespace vtx {

frmBuscaProf::frmBuscaProf(QWidget* parent) : SearchDialog(professionalSearch(), parent) {}

frmBuscaProf::~frmBuscaProf() = default;

void frmBuscaProf::run() {
    runModal<frmBuscaProf>();
}

} // namespace vtx
