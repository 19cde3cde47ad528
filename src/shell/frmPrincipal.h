// The main window: the menu that opens every work form, the status bar with the user, the
// start-up banner and logo, the start-up login and the log-off.
#pragma once

#include <memory>

#include <QMainWindow>

class QAction;

namespace vtx {

struct MenuEntry;

/// The program's start-up window; closing it ends the program.
class frmPrincipal : public QMainWindow {
public:
    frmPrincipal();
    ~frmPrincipal() override;

    /// The menu controls in their window order, the menu bar's entries included.
    QList<QAction*> menuControls() const;
    /// Caption of the status banner cmdST.
    void setBanner(const QString& text);
    /// Text of panel 3 of the status bar sRodape.
    void setUserPanel(const QString& text);

    /// The activation: the start-up login while nobody is logged in, then the items every
    /// user keeps (log-off and update) enabled again and the banner hidden.
    void Form_Activate();
    /// Log-off: the login again; a cancelled login ends the program.
    void mnuoff_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildUi();
    void buildMenu();
    void menuChosen(const MenuEntry& entry);
    void Form_Load();
    void ConectaBanco();
    /// Shows the login; false when it ended without a user (the program then ends).
    bool runLogin();
    void loggedInActivation();
    void mnuupdate_Click();

    struct Private;
    std::unique_ptr<Private> d;
};

/// Closes the shared connection and ends the program.
void endProgram();

} // namespace vtx
