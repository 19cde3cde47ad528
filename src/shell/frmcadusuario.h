// The users and rights form: one login per name and, for each, one right per main-menu control.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

/// Keeps the installation's users and their rights.
class frmcadusuario : public QDialog {
public:
    frmcadusuario();
    ~frmcadusuario() override;

private:
    void buildUi();
    void Form_Load();
    void Combo1_LostFocus();
    void fillRights(const QString& name);
    void setButtons();
    void Command1_Click();
    void Command3_Click();
    bool nameAccepted(const QString& name);
    void clearForm();
    void FechaTabelas();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
