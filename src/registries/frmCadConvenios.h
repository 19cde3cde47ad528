// Registration of the health-insurance plans (table convenios).
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// "Convênios - Cadastro": a plan's name and discount percentage.
class frmCadConvenios : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadConvenios(QWidget* parent = nullptr);
    ~frmCadConvenios() override;

protected:
    void clearFields() override;
    void fillFields(const Recordset& row) override;
    bool fieldsFilled() const override;
    bool checkFields() override;
    Values rowValues(bool inserting) const override;

private:
    void buildUi();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
