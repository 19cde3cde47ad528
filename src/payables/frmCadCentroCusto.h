// Registration of the cost centres (table centrocusto).
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// "Centro de Custos - Cadastro": a name and the code the database makes.
class frmCadCentroCusto : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadCentroCusto(QWidget* parent = nullptr);
    ~frmCadCentroCusto() override;
};

} // namespace vtx
