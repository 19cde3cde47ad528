// The login dialog: opens the connection, sends a new installation to the creation of its
// first user, checks the user and applies the user's rights to the main window's menu.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

class frmPrincipal;

/// The gate of every session; the outcome is left in the session values.
class frmtelainicial : public QDialog {
public:
    /// The main window receives the status texts and the rights (none in tests of the dialog).
    explicit frmtelainicial(frmPrincipal* main);
    ~frmtelainicial() override;

    /// Loads and shows the dialog modally; a failed connection and the first access end the
    /// program before it is shown.
    static void showLogin(frmPrincipal* main);

private:
    void buildUi();
    bool Form_Load();
    bool Form_Activate();
    void Command1_Click();
    void AplicaPerfil();
    void Label4_Click();
    void FechaTabelas();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
