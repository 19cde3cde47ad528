// The login dialog's controls, keys and steps.
#include "frmtelainicial.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "Controls.h"
#include "DbError.h"
#include "Desktop.h"
#include "Forms.h"
#include "Ini.h"
#include "Keyboard.h"
#include "Modal.h"
#include "Prompter.h"
#include "Session.h"
#include "UserRights.h"
#include "frmPrincipal.h"
#include "frmcadusuario.h"

namespace vtx {

namespace {

/// The maker's download page of the remote-support program.
const QString kPaginaSuporte = QStringLiteral("https://www.morvisca.com.br/down/quilsor.exe");

const QColor kOrange(192, 64, 0);

/// Runs a handler when a label is clicked.
class ClickFilter : public QObject {
public:
    ClickFilter(QWidget* control, std::function<void()> handler)
        : QObject(control), m_handler(std::move(handler)) {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease)
            m_handler();
        return false;
    }

private:
    std::function<void()> m_handler;
};

/// The number of a failed statement or connection over its description.
void showDbError(const DbError& error, const QString& description) {
    msgBox(QString::number(error.nativeCode()) + QLatin1Char('\n') + description,
           QStringLiteral("ATENÇÃO"), MsgIcon::Information);
}

void showDbError(const DbError& error) {
    showDbError(error, error.message());
}

/// A connection that fails with no settings file beside the program failed for want of it:
/// the file is named, whatever the driver made of the empty settings.
void showConnectionError(const DbError& error) {
    const QString settings = iniFilePath(Desktop::programFolder());
    if (QFileInfo::exists(settings)) {
        showDbError(error);
        return;
    }
    showDbError(error, QStringLiteral("ARQUIVO DE CONFIGURAÇÃO NÃO ENCONTRADO: ") +
                           QDir::toNativeSeparators(settings) + QStringLiteral(" (") +
                           error.text() + QLatin1Char(')'));
}

void setTextColour(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

} // namespace

struct frmtelainicial::Private {
    frmPrincipal* main = nullptr;
    QLineEdit* txtUsuario = nullptr;
    QLineEdit* txtSenha = nullptr;
    QLabel* Label1 = nullptr;
};

frmtelainicial::frmtelainicial(frmPrincipal* main) : d(std::make_unique<Private>()) {
    d->main = main;
    buildUi();
    auto* preview = new KeyPreview(this);
    preview->keyPress = [this](int& ascii) {
        if (ascii != kEscape)
            return;
        gUsuario.clear();
        gConfirma = QStringLiteral("N");
        FechaTabelas();
        close();
    };
    preview->keyDown = [this](int key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_F10)
            return false;
        Label4_Click();
        return true;
    };
    preview->setControlKeyPress(d->txtSenha, [this](int& ascii) {
        if (ascii == kEnter)
            Command1_Click();
    });
}

frmtelainicial::~frmtelainicial() = default;

void frmtelainicial::buildUi() {
    setObjectName(QStringLiteral("frmtelainicial"));
    setWindowTitle(QStringLiteral("Login"));
    setFixedSize(420, 210);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    auto label = [this](const char* name, const QString& text, const QRect& geometry) {
        QLabel* l = Controls::label(this, QLatin1String(name), text, geometry);
        setTextColour(l, kOrange);
        return l;
    };
    auto* img = new QLabel(this);
    img->setObjectName(QStringLiteral("imgLogin"));
    img->setGeometry(16, 16, 96, 96);
    img->setScaledContents(true);
    img->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(96, 96));
    label("Label3", QStringLiteral("Nome do Usuário"), {128, 20, 150, 20});
    d->txtUsuario = Controls::lineBox(this, QStringLiteral("txtUsuario"), {128, 42, 150, 24}, 10);
    label("Label2", QStringLiteral("Senha"), {128, 74, 150, 20});
    d->txtSenha = Controls::passwordBox(this, QStringLiteral("txtSenha"), {128, 96, 150, 24}, 10);

    QPushButton* confirma = Controls::button(this, QStringLiteral("Command1"),
                                             QStringLiteral("Confirma"), {296, 42, 108, 28});
    connect(confirma, &QPushButton::clicked, this, [this] { Command1_Click(); });
    QPushButton* fechar = Controls::button(this, QStringLiteral("Command2"),
                                           QStringLiteral("Fechar"), {296, 92, 108, 28});
    connect(fechar, &QPushButton::clicked, this, [this] {
        gConfirma = QStringLiteral("N");
        FechaTabelas();
        close();
    });

    QLabel* suporte = label("Label4", QStringLiteral("F1 SUPORTE"), {16, 130, 200, 26});
    suporte->setFont(QFont(QStringLiteral("Arial Black"), 11, QFont::Black));
    suporte->setCursor(Qt::PointingHandCursor);
    new ClickFilter(suporte, [this] { Label4_Click(); });

    d->Label1 = new QLabel(
        QStringLiteral("Digite seu nome de usuário e senha") + QString(67, QLatin1Char(' ')), this);
    d->Label1->setObjectName(QStringLiteral("Label1"));
    d->Label1->setTextFormat(Qt::PlainText);
    d->Label1->setGeometry(16, 170, 388, 24);
    setTextColour(d->Label1, QColor(255, 255, 0));
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    connect(timer, &QTimer::timeout, this, [this] {
        const QString text = d->Label1->text();
        d->Label1->setText(text.mid(1) + text.left(1));
    });
    timer->start(250);
}

void frmtelainicial::showLogin(frmPrincipal* main) {
    frmtelainicial form(main);
    if (!form.Form_Load() || !form.Form_Activate())
        return;
    showModal(&form);
}

bool frmtelainicial::Form_Load() {
    try {
        conexaoAberta();
        return true;
    } catch (const DbError& error) {
        QCoreApplication::processEvents();
        showConnectionError(error);
        if (msgBox(QStringLiteral("SE FOR O PRIMEIRO ACESSO CLIQUE SIM!\nOU CONTATE O SUPORTE!"),
                   QStringLiteral("Atenção"), MsgIcon::None, MsgButtons::YesNo,
                   MsgDefault::Second) == MsgAnswer::Yes)
            Forms::open(QStringLiteral("frmconfig"), QStringLiteral("Configuração"));
        endProgram();
        return false;
    }
}

bool frmtelainicial::Form_Activate() {
    try {
        if (UserRights::hasUsers())
            return true;
    } catch (const DbError& error) {
        showDbError(error);
        endProgram();
        return false;
    }
    if (msgBox(QStringLiteral("PRIMEIRO ACESSO --- DESEJA CRIAR O USUÁRIO ADMINISTRADOR AGORA?"),
               QStringLiteral("Atenção"), MsgIcon::None, MsgButtons::YesNo,
               MsgDefault::Second) == MsgAnswer::Yes) {
        frmcadusuario users;
        showModal(&users);
    }
    endProgram();
    return false;
}

void frmtelainicial::Command1_Click() {
    QCoreApplication::processEvents();
    const QString name = d->txtUsuario->text();
    try {
        if (!UserRights::checkLogin(name, d->txtSenha->text())) {
            msgBox(QStringLiteral("--- ERRO --- USUÁRIO E/OU SENHA NÃO CONFEREM!"),
                   QStringLiteral("ATENÇÃO"), MsgIcon::Information);
            return;
        }
    } catch (const DbError& error) {
        showDbError(error);
        return;
    }
    gUsuario = name;
    gLogado = QStringLiteral("S");
    gLoginOK = QStringLiteral("S");
    if (d->main) {
        d->main->setBanner(QStringLiteral("Carregando perfil do usuário..."));
        d->main->setUserPanel(QStringLiteral("Usuário: ") + gUsuario);
    }
    QCoreApplication::processEvents();
    try {
        AplicaPerfil();
    } catch (const DbError& error) {
        showDbError(error);
    }
    FechaTabelas();
    close();
}

void frmtelainicial::AplicaPerfil() {
    if (!d->main)
        return;
    const QList<QAction*> controls = d->main->menuControls();
    for (QAction* control : controls)
        control->setEnabled(false);
    const auto rows = UserRights::rightsOf(d->txtUsuario->text());
    for (const auto& [campo, valor] : rows) {
        const QString key = campo.trimmed().toLower();
        for (QAction* control : controls)
            if (control->objectName().trimmed().toLower() == key)
                control->setEnabled(valor != QLatin1String("1"));
    }
}

void frmtelainicial::Label4_Click() {
    const QString program = Desktop::programFile(QStringLiteral("quilsor.exe"));
    if (QFileInfo::exists(program)) {
        Desktop::startProgram(program);
        return;
    }
    msgBox(QStringLiteral("Atenção!!! APP Não instalado! O Sistema irá fazer o downlaod do APP.!"),
           QStringLiteral("Morvisca Informática"), MsgIcon::Information);
    Desktop::openPage(kPaginaSuporte);
}

void frmtelainicial::FechaTabelas() {
    if (gConexao().isOpen())
        gConexao().close();
}

} // namespace vtx
