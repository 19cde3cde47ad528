// Registration of the supply groups (table grupoestoque).
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// "Cadastro Grupo de Insumos": a group's description; groups are never deleted.
class frmCadGrupoEstoque : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadGrupoEstoque(QWidget* parent = nullptr);
    ~frmCadGrupoEstoque() override;
};

} // namespace vtx
