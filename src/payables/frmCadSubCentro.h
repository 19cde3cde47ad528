// Registration of the sub cost centres (table subcentrocusto).
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// "SubCentro de Custos - Cadastro": a name and the code the database makes.
class frmCadSubCentro : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadSubCentro(QWidget* parent = nullptr);
    ~frmCadSubCentro() override;
};

} // namespace vtx
