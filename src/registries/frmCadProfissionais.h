// The professional registry.
#pragma once

#include "PersonForm.h"

namespace vtx {

/// "Profissionais": the clinic's professionals, with council number, specialty, fee and
/// whether they work in the clinic, in home care or both.
class frmCadProfissionais : public PersonForm {
    Q_OBJECT
public:
    explicit frmCadProfissionais(QWidget* parent = nullptr);
    ~frmCadProfissionais() override;

protected:
    void clearFields() override;
    void fillOwn(const Recordset& row) override;
    Values ownValues() const override;
    bool ownFilled() const override;
    bool checkAfterPhones() override;

private:
    void buildUi();
    void feeLeft();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
