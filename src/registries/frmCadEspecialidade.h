// Registration of the specialties (table especialidades).
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// "Especialidades - Cadastro": a specialty's name.
class frmCadEspecialidade : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadEspecialidade(QWidget* parent = nullptr);
    ~frmCadEspecialidade() override;
};

} // namespace vtx
