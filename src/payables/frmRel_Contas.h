// The accounts report form: the open or settled instalments of a period, for all suppliers or
// one, listed with their total and printed through the print assistant.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

/// "Relatório de Contas a Pagar / Receber".
class frmRel_Contas : public QDialog {
    Q_OBJECT
public:
    explicit frmRel_Contas(QWidget* parent = nullptr);
    ~frmRel_Contas() override;

private:
    void buildUi();
    void connectUi();
    void emptyList();
    void supplierSearch();
    void txtCdCli_LostFocus();
    void Command1_Click();
    void Command2_Click();
    void escape();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
