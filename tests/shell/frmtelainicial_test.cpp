// The login dialog against the real server: bound statements, typing, the first access, the
// failed connection, cancelling and remote support.
#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "DbFixture.h"
#include "Desktop.h"
#include "LinkLimits.h"
#include "Modal.h"
#include "Printers.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "Typing.h"
#include "UserRows.h"
#include "frmtelainicial.h"

namespace vtx::test {
namespace {

template <typename T> T* control(QDialog* form, const char* name) {
    auto* found = form->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void typeInto(QDialog* form, const char* box, const QString& text) {
    auto* edit = control<QLineEdit>(form, box);
    edit->clear();
    edit->setFocus();
    typeText(edit, text);
}

/// A server that takes connections and never answers, as a stalled, swapping or half-cut one
/// looks. After a minute it lets them go, so that a client that never gives up fails its test
/// rather than hang it.
class SilentListener {
public:
    SilentListener() {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(m_socket, 8);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_watchdog = std::thread([this] {
            std::unique_lock lock(m_mutex);
            m_done.wait_for(lock, std::chrono::minutes(1), [this] { return m_finished; });
            ::shutdown(m_socket, SHUT_RDWR);
        });
    }
    ~SilentListener() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_watchdog.join();
        ::close(m_socket);
    }
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_watchdog;
};

class LoginTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        Desktop::setProgramFolder(folder.path());
        Desktop::setHooks({[this](const QString& path) {
                               started << path;
                               return true;
                           },
                           [this](const QString& url) {
                               opened << url;
                               return desktopOpens;
                           },
                           [this] { ++ends; }});
        gLoginOK = QStringLiteral("N");
        gLogado = QStringLiteral("N");
        gConfirma.clear();
    }
    void TearDown() override {
        Desktop::setProgramFolder(QString());
        DbFixture::TearDown();
    }

    /// Shows the login with a driver; records which forms were shown.
    void showLogin(std::function<void(QDialog*)> drive = {}) {
        setModalDriver([this, drive](QDialog* form) {
            shown << form->objectName();
            if (drive && form->objectName() == QLatin1String("frmtelainicial"))
                drive(form);
        });
        frmtelainicial::showLogin(nullptr);
    }

    /// A settings file in the program folder (its values do not matter here).
    void writeSettingsFile() {
        QFile file(QDir(folder.path()).filePath(QStringLiteral("Vertalumex.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[CONFIG]\r\n");
    }

    QTemporaryDir folder;
    QStringList started, opened, shown;
    bool desktopOpens = true;
    int ends = 0;
};

TEST_F(LoginTest, InjectedPasswordIsRefusedAndQuotesAreJustText) {
    addUser(db, QStringLiteral("ADMIN"), QStringLiteral("123"));
    addUser(db, QStringLiteral("D'AVILA"), QStringLiteral("A'B"));
    showLogin([](QDialog* form) {
        typeInto(form, "txtUsuario", QStringLiteral("ADMIN"));
        typeInto(form, "txtSenha", QStringLiteral("'OR''='"));
        control<QPushButton>(form, "Command1")->click();
        EXPECT_EQ(prompts().last().text,
                  QStringLiteral("--- ERRO --- USUÁRIO E/OU SENHA NÃO CONFEREM!"));
        EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
        EXPECT_EQ(gLoginOK, QStringLiteral("N"));
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(control<QLineEdit>(form, "txtSenha")->text(), QStringLiteral("'OR''='"));

        typeInto(form, "txtUsuario", QStringLiteral("d'avila"));
        typeInto(form, "txtSenha", QStringLiteral("a'b"));
        control<QPushButton>(form, "Command1")->click();
        EXPECT_FALSE(form->isVisible());
    });
    EXPECT_EQ(gLoginOK, QStringLiteral("S"));
    EXPECT_EQ(gLogado, QStringLiteral("S"));
    EXPECT_EQ(gUsuario, QStringLiteral("D'AVILA"));
    EXPECT_FALSE(gConexao().isOpen()); // a good login leaves the connection closed
    EXPECT_EQ(ends, 0);
}

TEST_F(LoginTest, TypingIsUpperCaseTenCharactersAndEnterInThePasswordLogsIn) {
    addUser(db, QStringLiteral("ADMIN"), QStringLiteral("SENHA"));
    showLogin([](QDialog* form) {
        auto* label = control<QLabel>(form, "Label1");
        const QString first = label->text();
        EXPECT_EQ(first.size(), 101);
        // The text turns by one character at each tick of its timer, and keeps turning.
        EXPECT_TRUE(QTest::qWaitFor([&] { return label->text() != first; }));
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("igite seu nome")));
        EXPECT_EQ(label->text(), first.mid(1) + first.left(1));
        const QString second = label->text();
        EXPECT_TRUE(QTest::qWaitFor([&] { return label->text() != second; }));

        typeInto(form, "txtUsuario", QStringLiteral("admin123456"));
        EXPECT_EQ(control<QLineEdit>(form, "txtUsuario")->text(), QStringLiteral("ADMIN12345"));
        typeInto(form, "txtUsuario", QStringLiteral("admin"));
        typeInto(form, "txtSenha", QStringLiteral("senha"));
        QTest::keyClick(control<QLineEdit>(form, "txtSenha"), Qt::Key_Return);
        EXPECT_FALSE(form->isVisible());
    });
    EXPECT_EQ(gUsuario, QStringLiteral("ADMIN"));
    EXPECT_EQ(gLoginOK, QStringLiteral("S"));
}

TEST_F(LoginTest, EscEmptiesTheUserAndFecharKeepsIt) {
    addUser(db, QStringLiteral("ADMIN"), QStringLiteral("123"));
    gUsuario = QStringLiteral("ANTES");
    showLogin([](QDialog* form) {
        QTest::keyClick(control<QLineEdit>(form, "txtUsuario"), Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
    });
    EXPECT_TRUE(gUsuario.isEmpty());
    EXPECT_EQ(gConfirma, QStringLiteral("N"));
    EXPECT_EQ(gLoginOK, QStringLiteral("N"));
    EXPECT_FALSE(gConexao().isOpen());

    gUsuario = QStringLiteral("ANTES");
    gConfirma.clear();
    showLogin([](QDialog* form) { control<QPushButton>(form, "Command2")->click(); });
    EXPECT_EQ(gUsuario, QStringLiteral("ANTES"));
    EXPECT_EQ(gConfirma, QStringLiteral("N"));
    EXPECT_EQ(gLoginOK, QStringLiteral("N"));
}

TEST_F(LoginTest, FirstAccessNoEndsAtOnceYesOpensTheUsersFormThenEnds) {
    prompts().answers.push_back(MsgAnswer::No);
    showLogin();
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("PRIMEIRO ACESSO --- DESEJA CRIAR O USUÁRIO ADMINISTRADOR AGORA?"));
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(ends, 1);

    ends = 0;
    prompts().answers.push_back(MsgAnswer::Yes);
    setModalDriver([this](QDialog* form) {
        shown << form->objectName();
        EXPECT_EQ(ends, 0); // the end comes after the users form closes
    });
    frmtelainicial::showLogin(nullptr);
    EXPECT_EQ(shown, QStringList{QStringLiteral("frmcadusuario")});
    EXPECT_EQ(ends, 1);
}

TEST_F(LoginTest, FailedConnectionShowsNumberOverTextOffersSettingsAndEnds) {
    writeSettingsFile();
    gStrConexao = testConnectionString().replace(QStringLiteral("Password="),
                                                 QStringLiteral("Password=errada"));
    showLogin();
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(prompts().messages[0].text.startsWith(QStringLiteral("1045\n")));
    EXPECT_TRUE(prompts().messages[0].text.contains(QStringLiteral("Access denied")));
    EXPECT_EQ(prompts().messages[0].title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(prompts().messages[1].text,
              QStringLiteral("SE FOR O PRIMEIRO ACESSO CLIQUE SIM!\nOU CONTATE O SUPORTE!"));
    EXPECT_EQ(prompts().messages[1].defaultButton, MsgDefault::Second);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(ends, 1);

    ends = 0;
    prompts().reset();
    prompts().answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    showLogin();
    EXPECT_EQ(shown, QStringList{QStringLiteral("frmconfig")});
    EXPECT_EQ(ends, 1);
}

// A refused login, a server that cannot be reached and a missing settings file, each told in
// Portuguese over the driver's own text; a missing file is named.
TEST_F(LoginTest, FailedConnectionsAreToldInPortuguese) {
    const QString settings = QDir(folder.path()).filePath(QStringLiteral("Vertalumex.ini"));
    const QString unreachable = testConnectionString().replace(
        QRegularExpression(QStringLiteral("Port=\\d+")), QStringLiteral("Port=1"));
    const struct {
        bool settingsFile;
        QString connection;
        QString told;
        QString end = QStringLiteral(")");
    } cases[] = {
        // Without TLS in the settings, a refusal may be the server's demand for it.
        {true,
         QString(testConnectionString())
             .replace(QStringLiteral("Password="), QStringLiteral("Password=errada")),
         QStringLiteral("1045\nO SERVIDOR DE BANCO DE DADOS RECUSOU O USUÁRIO OU A SENHA. ("),
         QStringLiteral(")\nO SERVIDOR DA CLÍNICA PODE EXIGIR CONEXÃO SEGURA (TLS): CONFIRA A "
                        "STRING DE CONEXÃO.")},
        {true, unreachable,
         QStringLiteral("2002\nNÃO FOI POSSÍVEL CONECTAR AO SERVIDOR DE BANCO DE DADOS. (")},
        {false, QString(),
         QStringLiteral("0\nARQUIVO DE CONFIGURAÇÃO NÃO ENCONTRADO: ") + settings +
             QStringLiteral(" (")},
    };
    for (const auto& c : cases) {
        QFile::remove(settings);
        if (c.settingsFile)
            writeSettingsFile();
        gStrConexao = c.connection;
        prompts().reset();
        showLogin();
        ASSERT_EQ(prompts().messages.size(), 2u);
        EXPECT_TRUE(prompts().messages[0].text.startsWith(c.told))
            << prompts().messages[0].text.toStdString();
        EXPECT_TRUE(prompts().messages[0].text.endsWith(c.end))
            << prompts().messages[0].text.toStdString();
        EXPECT_EQ(prompts().messages[1].text,
                  QStringLiteral("SE FOR O PRIMEIRO ACESSO CLIQUE SIM!\nOU CONTATE O SUPORTE!"));
    }
    EXPECT_EQ(ends, 3);
}

// A server that takes the connection and never answers is given up within the limit, told as
// a failed connection, and the settings form is offered.
TEST_F(LoginTest, ASilentServerIsGivenUpWithinTheLimitAndTheSettingsAreOffered) {
    writeSettingsFile();
    SilentListener silent;
    setLinkLimits({std::chrono::seconds(2), std::chrono::seconds(2)});
    gStrConexao = connectionString(QStringLiteral("127.0.0.1;Port=%1").arg(silent.port()),
                                   QStringLiteral("vertalumex"), QStringLiteral("vtx"),
                                   QStringLiteral("senha"));
    prompts().answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    const auto start = std::chrono::steady_clock::now();
    showLogin();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(prompts().messages[0].text.startsWith(
        QStringLiteral("2013\nNÃO FOI POSSÍVEL CONECTAR AO SERVIDOR DE BANCO DE DADOS. O SERVIDOR "
                       "NÃO RESPONDEU EM 2 SEGUNDOS. (")))
        << prompts().messages[0].text.toStdString();
    EXPECT_EQ(prompts().messages[1].text,
              QStringLiteral("SE FOR O PRIMEIRO ACESSO CLIQUE SIM!\nOU CONTATE O SUPORTE!"));
    EXPECT_EQ(shown, QStringList{QStringLiteral("frmconfig")});
    EXPECT_EQ(ends, 1);
}

TEST_F(LoginTest, FailedFirstAccessStatementIsShownAndEnds) {
    gStrConexao =
        testConnectionString().replace(QRegularExpression(QStringLiteral("Database=[^;]*")),
                                       QStringLiteral("Database=information_schema"));
    showLogin();
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.contains(QLatin1Char('\n')));
    EXPECT_TRUE(prompts().last().text.contains(QStringLiteral("usuarios")));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(ends, 1);
}

TEST_F(LoginTest, SupportStartsTheProgramOrOpensItsDownloadPage) {
    addUser(db, QStringLiteral("ADMIN"), QStringLiteral("123"));
    const QString program = QDir(folder.path()).filePath(QStringLiteral("quilsor.exe"));
    showLogin([&](QDialog* form) {
        QTest::keyClick(form, Qt::Key_F1);
        EXPECT_TRUE(prompts().messages.empty());
        QTest::keyClick(form, Qt::Key_F10);
        EXPECT_EQ(prompts().last().text,
                  QStringLiteral("Atenção!!! APP Não instalado! O Sistema irá fazer o downlaod do "
                                 "APP.!"));
        EXPECT_EQ(prompts().last().title, QStringLiteral("Morvisca Informática"));
        ASSERT_EQ(opened.size(), 1);
        EXPECT_TRUE(opened[0].startsWith(QStringLiteral("https://")));
        EXPECT_TRUE(opened[0].endsWith(QStringLiteral("/down/quilsor.exe")));
        EXPECT_EQ(prompts().messages.size(), 1u);

        // A desktop that cannot open the page: its address is shown instead.
        desktopOpens = false;
        QTest::keyClick(form, Qt::Key_F10);
        EXPECT_EQ(prompts().last().text,
                  QStringLiteral("Não foi possível abrir a página:\n") + opened[0]);
        EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));

        QFile(program).open(QIODevice::WriteOnly);
        QTest::mouseClick(control<QLabel>(form, "Label4"), Qt::LeftButton);
        EXPECT_EQ(started, QStringList{program});
        EXPECT_TRUE(form->isVisible());
    });
    EXPECT_EQ(opened.size(), 2);
}

} // namespace
} // namespace vtx::test
