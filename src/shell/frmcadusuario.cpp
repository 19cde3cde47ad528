// The users and rights form: the name box, the two password boxes, the ticked rights list,
// save and delete.
#include "frmcadusuario.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "Controls.h"
#include "DbError.h"
#include "Keyboard.h"
#include "MenuTable.h"
#include "Prompter.h"
#include "Session.h"
#include "UserRights.h"

namespace vtx {

namespace {

const QString kAtencao = QStringLiteral("Atenção");
const QString kATENCAO = QStringLiteral("ATENÇÃO");

QFont courierNew() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(9);
    return font;
}

/// An item of the rights list: dots by level, the caption in 60 and the control name in 20.
QString rightsItemText(const MenuEntry& entry) {
    return QString(entry.level * 4, QLatin1Char('.')) +
           QString::fromUtf8(entry.caption).leftJustified(60, QLatin1Char(' '), true) +
           QStringLiteral(" - ") + UserRights::campo(QLatin1String(entry.name));
}

/// The control name read back from an item: the last piece after a "-".
QString controlNameOf(const QString& itemText) {
    return itemText.split(QLatin1Char('-')).last().trimmed();
}

void showDbError(const DbError& error) {
    errorBox(error.message());
}

} // namespace

struct frmcadusuario::Private {
    QComboBox* Combo1 = nullptr;
    QLineEdit* txtsenha = nullptr;
    QLineEdit* txtoksenha = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
    QString UsuarioExiste = QStringLiteral("N");

    void tickAll(bool ticked) {
        for (int i = 0; i < List1->count(); ++i)
            List1->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
};

frmcadusuario::frmcadusuario() : d(std::make_unique<Private>()) {
    buildUi();
    auto* preview = new KeyPreview(this);
    preview->keyPress = [this](int& ascii) {
        if (ascii != kEscape)
            return;
        FechaTabelas();
        close();
    };
    onLeave(d->Combo1, [this] { Combo1_LostFocus(); });
    selectAllOnFocus(d->txtsenha);
    selectAllOnFocus(d->txtoksenha);
    onEnter(d->txtoksenha, [this] { setButtons(); });
    connect(d->txtoksenha, &QLineEdit::textChanged, this, [this] { setButtons(); });
    Form_Load();
}

frmcadusuario::~frmcadusuario() = default;

void frmcadusuario::buildUi() {
    setObjectName(QStringLiteral("frmcadusuario"));
    setWindowTitle(QStringLiteral("Usuários - Manutenção"));
    setFixedSize(760, 520);
    auto label = [this](const char* name, const QString& text, const QRect& geometry) {
        Controls::label(this, QLatin1String(name), text, geometry);
    };
    auto password = [this](const char* name, const QString& tip, const QRect& geometry) {
        QLineEdit* edit = Controls::passwordBox(this, QLatin1String(name), geometry, 10);
        edit->setToolTip(tip);
        return edit;
    };
    auto button = [this](const char* name, const QString& text, const QRect& geometry) {
        return Controls::button(this, QLatin1String(name), text, geometry);
    };

    label("Label1", QStringLiteral("Nome"), {16, 12, 200, 20});
    d->Combo1 = new QComboBox(this);
    d->Combo1->setObjectName(QStringLiteral("Combo1"));
    d->Combo1->setEditable(true);
    d->Combo1->setInsertPolicy(QComboBox::NoInsert);
    // A typed name stays as typed: no completion into a longer existing name.
    d->Combo1->setCompleter(nullptr);
    d->Combo1->setFont(courierNew());
    d->Combo1->setGeometry(16, 34, 200, 26);
    label("Label2", QStringLiteral("Senha"), {232, 12, 120, 20});
    d->txtsenha =
        password("txtsenha", QStringLiteral("Digite uma senha para ele"), {232, 34, 130, 26});
    label("Label3", QStringLiteral("Confirmação"), {378, 12, 120, 20});
    d->txtoksenha =
        password("txtoksenha", QStringLiteral("Redigite a senha dele"), {378, 34, 130, 26});

    d->List1 = new QListWidget(this);
    d->List1->setObjectName(QStringLiteral("List1"));
    d->List1->setFont(courierNew());
    d->List1->setGeometry(16, 72, 728, 390);

    connect(button("Command2", QStringLiteral("Seleciona Tudo"), {16, 474, 140, 30}),
            &QPushButton::clicked, this, [this] { d->tickAll(true); });
    connect(button("Command5", QStringLiteral("Desmarca Todos"), {166, 474, 140, 30}),
            &QPushButton::clicked, this, [this] { d->tickAll(false); });
    d->Command1 = button("Command1", QStringLiteral("OK"), {494, 474, 110, 30});
    d->Command1->setToolTip(QStringLiteral("Confirma os dados"));
    d->Command1->setEnabled(false);
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    d->Command3 = button("Command3", QStringLiteral("Exclui Usuário"), {614, 474, 130, 30});
    d->Command3->setToolTip(QStringLiteral("Exclui um usuário cadastrado"));
    d->Command3->setEnabled(false);
    connect(d->Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

void frmcadusuario::Form_Load() {
    try {
        d->Combo1->addItems(UserRights::userNames());
    } catch (const DbError& error) {
        showDbError(error);
    }
    d->Combo1->setCurrentIndex(-1);
    d->Combo1->setEditText(QString());
}

bool frmcadusuario::nameAccepted(const QString& name) {
    if (name.isEmpty()) {
        d->Command1->setEnabled(false);
        d->Command3->setEnabled(false);
        msgBox(QStringLiteral("--- ERRO --- INFORME O NOME DE USUÁRIO!"), kATENCAO,
               MsgIcon::Information);
        return false;
    }
    if (name.size() > 10) {
        msgBox(
            QStringLiteral("--- ERRO --- O NOME DE USUÁRIO NÃO PODE TER MAIS QUE 10 CARACTERES!"),
            kATENCAO, MsgIcon::Critical);
        return false;
    }
    return true;
}

void frmcadusuario::Combo1_LostFocus() {
    d->List1->clear();
    const QString name = d->Combo1->currentText().trimmed();
    if (!nameAccepted(name))
        return;
    d->txtsenha->clear();
    d->txtoksenha->clear();
    d->UsuarioExiste = QStringLiteral("N");
    try {
        const std::optional<QString> stored = UserRights::storedPassword(name);
        if (stored) {
            d->UsuarioExiste = QStringLiteral("S");
            d->txtsenha->setText(*stored);
            d->txtoksenha->setText(*stored);
        }
        fillRights(name);
    } catch (const DbError& error) {
        // A lookup that failed part-way would show rights as blocked that are not: nothing
        // of it stays to be saved.
        d->List1->clear();
        d->txtsenha->clear();
        d->txtoksenha->clear();
        d->UsuarioExiste = QStringLiteral("N");
        d->Command1->setEnabled(false);
        d->Command3->setEnabled(false);
        showDbError(error);
    }
}

void frmcadusuario::fillRights(const QString& name) {
    for (const MenuEntry& entry : menuTable())
        d->List1->addItem(rightsItemText(entry));
    for (int i = 0; i < d->List1->count(); ++i) {
        QListWidgetItem* item = d->List1->item(i);
        const QString campoMenu = UserRights::campo(controlNameOf(item->text()));
        item->setCheckState(Qt::Unchecked);
        const auto valor = UserRights::rightOf(name, d->txtsenha->text(), campoMenu);
        if (valor && *valor != QLatin1String("1"))
            item->setCheckState(Qt::Checked);
    }
}

void frmcadusuario::setButtons() {
    const QString first = d->txtsenha->text(), second = d->txtoksenha->text();
    const bool ready = !first.trimmed().isEmpty() && !second.trimmed().isEmpty() && first == second;
    d->Command1->setEnabled(ready);
    d->Command3->setEnabled(ready);
}

void frmcadusuario::Command1_Click() {
    const QString password = d->txtsenha->text();
    if (password.isEmpty() || d->Combo1->currentText().isEmpty()) {
        msgBox(QStringLiteral("Existem campos em branco que não podem ficar em branco."), kATENCAO,
               MsgIcon::Exclamation);
        return;
    }
    const QString name = d->Combo1->currentText().trimmed();
    if (!nameAccepted(name))
        return;
    if (password != d->txtoksenha->text()) {
        msgBox(QStringLiteral("--- ERRO --- Senhas não conferem!"), kAtencao, MsgIcon::Exclamation);
        return;
    }
    std::vector<UserRights::Right> rights;
    for (int i = 0; i < d->List1->count(); ++i) {
        const QListWidgetItem* item = d->List1->item(i);
        rights.push_back({controlNameOf(item->text()), item->checkState() == Qt::Checked});
    }
    try {
        UserRights::saveUser(name, password, d->UsuarioExiste == QLatin1String("S"), rights);
    } catch (const DbError& error) {
        showDbError(error);
        return;
    }
    msgBox(QStringLiteral("Salvo com sucesso!"), kAtencao, MsgIcon::Information);
    clearForm();
}

void frmcadusuario::Command3_Click() {
    if (msgBox(QStringLiteral("Confirma a exclusão?"), QStringLiteral("Exclusão de Usuário"),
               MsgIcon::Question, MsgButtons::YesNo, MsgDefault::First) != MsgAnswer::Yes)
        return;
    try {
        if (!UserRights::deleteUser(d->Combo1->currentText().trimmed())) {
            msgBox(QStringLiteral("--- ERRO --- USUÁRIO NÃO ENCONTRADO!"), kATENCAO,
                   MsgIcon::Information);
            return;
        }
    } catch (const DbError& error) {
        showDbError(error);
        return;
    }
    clearForm();
    msgBox(QStringLiteral("Excluído com sucesso!"), kAtencao, MsgIcon::Information);
}

void frmcadusuario::clearForm() {
    d->List1->clear();
    d->txtsenha->clear();
    d->txtoksenha->clear();
    d->Combo1->setEditText(QString());
    d->Command1->setEnabled(false);
    d->Command3->setEnabled(false);
}

void frmcadusuario::FechaTabelas() {
    if (gConexao().isOpen())
        gConexao().close();
}

} // namespace vtx
