// Registration of the medical fields (table especialidades).
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// "Especialidades - Cadastro": a medical field's name.
class frmCadEspecialidade : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadEspecialidade(QWidget* parent = nullptr);
    ~frmCadEspecialidade() override;
};

} // namespace vtx
