// The settings form.
#include "frmconfig.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "Controls.h"
#include "Desktop.h"
#include "Forms.h"
#include "Ini.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

struct frmconfig::Private {
    QLineEdit* txtNmBco = nullptr;
    QLineEdit* txtNmUsu = nullptr;
    QLineEdit* txtSenha = nullptr;
    QLineEdit* txtString = nullptr;
    QLineEdit* txtIdLic = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
};

frmconfig::frmconfig(QWidget* parent) : QDialog(parent), d(std::make_unique<Private>()) {
    buildUi();
    Form_Load();
}

frmconfig::~frmconfig() = default;

void frmconfig::buildUi() {
    setObjectName(QStringLiteral("frmconfig"));
    setWindowTitle(QStringLiteral("Configuração"));
    setFixedSize(470, 200);
    auto box = [this](const char* name, const char* caption, int x, int y, int width) {
        Controls::label(this, QString(), QString::fromUtf8(caption), {x, y, width, 18});
        return Controls::lineBox(this, QLatin1String(name), {x, y + 18, width, 24});
    };
    d->txtNmBco = box("txtNmBco", "Nome Banco de Dados", 12, 10, 140);
    d->txtNmUsu = box("txtNmUsu", "Usuário", 164, 10, 140);
    d->txtSenha = box("txtSenha", "Senha", 316, 10, 140);
    d->txtString = box("txtString", "String de Conexão", 12, 60, 444);
    d->txtIdLic = box("txtIdLic", "ID Licença", 12, 110, 140);
    d->txtIdLic->setMaxLength(15);
    d->Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("Salvar/Sair"),
                                   {236, 160, 106, 30});
    d->Command1 = Controls::button(this, QStringLiteral("Command1"),
                                   QStringLiteral("Cancelar/Voltar"), {350, 160, 106, 30});
    setTabOrder(d->txtNmBco, d->txtNmUsu);
    setTabOrder(d->txtNmUsu, d->txtSenha);
    setTabOrder(d->txtSenha, d->txtString);
    setTabOrder(d->txtString, d->txtIdLic);
    setTabOrder(d->txtIdLic, d->Command2);
    setTabOrder(d->Command2, d->Command1);
    connect(d->Command2, &QPushButton::clicked, this, &frmconfig::Command2_Click);
    connect(d->Command1, &QPushButton::clicked, this, &QDialog::close);
}

void frmconfig::Form_Load() {
    gArquivoINI = iniFilePath(Desktop::programFolder());
    if (!QFileInfo::exists(gArquivoINI))
        return;
    auto read = [](const char* key) { return LeConfig(QLatin1String(key), gArquivoINI); };
    d->txtIdLic->setText(read("idlic"));
    d->txtString->setText(read("conexao"));
    d->txtSenha->setText(read("senha"));
    d->txtNmBco->setText(read("banco"));
    d->txtNmUsu->setText(read("userbco"));
}

void frmconfig::Command2_Click() {
    if (msgBox(QStringLiteral("Confirma os dados?"), QStringLiteral("Atenção"), MsgIcon::Question,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    const QString error =
        writeIniFile(iniFilePath(Desktop::programFolder()),
                     {d->txtString->text(), d->txtSenha->text(), d->txtNmBco->text(),
                      d->txtNmUsu->text(), d->txtIdLic->text()});
    if (!error.isEmpty()) {
        errorBox(error, MsgIcon::Exclamation);
        return;
    }
    msgBox(QStringLiteral("Configuração salva com sucesso!"), kAppTitle, MsgIcon::Information);
    close();
}

void registerConfigForm() {
    Forms::registerForm(QStringLiteral("frmconfig"), [] { return new frmconfig; });
}

} // namespace vtx
