// The main window's start-up: left-over updater, logo, settings and connection string, the
// start-up login, the log-off and the end of the program.
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

#include "Desktop.h"
#include "Ini.h"
#include "Session.h"
#include "frmPrincipal_p.h"
#include "frmtelainicial.h"

namespace vtx {

namespace {

void letWindowRepaint() {
    QCoreApplication::processEvents();
}

/// The updater left by the last update; deleted even when read-only.
void deleteLeftOverUpdater() {
    QFile updater(Desktop::programFile(QStringLiteral("trevanu.exe")));
    if (!updater.exists())
        return;
    updater.setPermissions(updater.permissions() | QFile::WriteOwner | QFile::WriteUser);
    updater.remove();
}

QString readSetting(const QString& key) {
    return LeConfig(key, gArquivoINI);
}

} // namespace

void endProgram() {
    if (gConexao().isOpen())
        gConexao().close();
    Desktop::endProgram();
}

void frmPrincipal::Form_Load() {
    deleteLeftOverUpdater();
    const QString logo = Desktop::programFile(QStringLiteral("logo.jpg"));
    QPixmap picture;
    if (QFileInfo::exists(logo) && picture.load(logo)) {
        layout()->activate();
        d->Image1->setGeometry(centralWidget()->rect());
        d->Image1->setPixmap(picture);
        d->Image1->raise();
        d->Image1->show();
        d->cmdST->raise();
    }
    gLogado = QStringLiteral("N");
    setUserPanel(QStringLiteral("Usuário: Não Logado"));
}

void frmPrincipal::ConectaBanco() {
    setBanner(QStringLiteral("Aguarde... iniciando..."));
    d->cmdST->raise();
    d->cmdST->show();
    letWindowRepaint();
    gIdLic.clear();
    gStrConexao.clear();
    gArquivoINI = iniFilePath(Desktop::programFolder());
    if (QFileInfo::exists(gArquivoINI)) {
        gIdLic = readSetting(QStringLiteral("idlic"));
        gServidor = readSetting(QStringLiteral("conexao"));
        gSenhaBco = readSetting(QStringLiteral("senha"));
        gBanco = readSetting(QStringLiteral("banco"));
        gUserBco = readSetting(QStringLiteral("userbco"));
        gStrConexao = connectionString(gServidor, gBanco, gUserBco, gSenhaBco);
    }
    setWindowTitle(mainCaption());
}

void frmPrincipal::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (d->shown)
        return;
    d->shown = true;
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmPrincipal::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Qt activates the window again after every box; only a logged-in activation repeats.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        gLogado == QLatin1String("S"))
        Form_Activate();
}

void frmPrincipal::Form_Activate() {
    if (d->inActivation || Desktop::programEnded())
        return;
    QScopedValueRollback guard(d->inActivation, true);
    if (gLogado != QLatin1String("S")) {
        if (!d->connected) {
            ConectaBanco();
            d->connected = true;
        }
        setBanner(QStringLiteral("Efetue a Login..."));
        letWindowRepaint();
        if (!runLogin())
            return;
        setUserPanel(QStringLiteral("Usuário: ") + gUsuario);
    }
    loggedInActivation();
}

bool frmPrincipal::runLogin() {
    gLoginOK = QStringLiteral("N");
    frmtelainicial::showLogin(this);
    if (Desktop::programEnded())
        return false;
    if (gLoginOK == QLatin1String("N")) {
        endProgram();
        return false;
    }
    gLoginOK.clear();
    return true;
}

void frmPrincipal::loggedInActivation() {
    for (QAction* action : std::as_const(d->menuControls))
        if (action->objectName() == QLatin1String("mnuupdate") ||
            action->objectName() == QLatin1String("mnuoff"))
            action->setEnabled(true);
    d->cmdST->hide();
}

void frmPrincipal::mnuoff_Click() {
    if (d->inActivation || Desktop::programEnded())
        return;
    QScopedValueRollback guard(d->inActivation, true);
    gLogado = QStringLiteral("N");
    gUsuario.clear();
    setUserPanel(QStringLiteral("Usuário:"));
    letWindowRepaint();
    if (runLogin())
        loggedInActivation();
}

void frmPrincipal::closeEvent(QCloseEvent* event) {
    event->accept();
    endProgram();
}

} // namespace vtx
