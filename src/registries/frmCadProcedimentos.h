// Registration of the procedures (table procedimentos).
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// "Procedimentos - Cadastro": a procedure's name and whether it is done in the clinic or
/// at home.
class frmCadProcedimentos : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadProcedimentos(QWidget* parent = nullptr);
    ~frmCadProcedimentos() override;

protected:
    void fillFields(const Recordset& row) override;
    bool fieldsFilled() const override;
    Values rowValues(bool inserting) const override;

private:
    void buildUi();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
