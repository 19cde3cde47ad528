// The patient registry.
#pragma once

#include "PersonForm.h"

namespace vtx {

/// "Pacientes - Cadastro": the clinic's patients, with their plan and health flags.
class frmcadcli : public PersonForm {
    Q_OBJECT
public:
    explicit frmcadcli(QWidget* parent = nullptr);
    ~frmcadcli() override;

protected:
    void clearFields() override;
    void fillOwn(const Recordset& row) override;
    Values ownValues() const override;
    bool checkBeforePhones() override;

private:
    void buildUi();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
