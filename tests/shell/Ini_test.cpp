// The settings file: scrambling, the exact bytes written, the case of its name, failures.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "Cp1252.h"
#include "Desktop.h"
#include "Ini.h"
#include "Modal.h"
#include "ScriptedPrompter.h"
#include "frmconfig.h"

namespace vtx::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

/// Root writes anywhere: while this lives the test runs as an unprivileged user, and the user
/// is restored however the scope is left.
class Unprivileged {
public:
    Unprivileged() {
        if (m_euid == 0 && seteuid(65534) != 0)
            ADD_FAILURE() << "could not drop to an unprivileged user";
    }
    ~Unprivileged() {
        if (m_euid == 0 && seteuid(0) != 0)
            ADD_FAILURE() << "could not become root again";
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    const uid_t m_euid = geteuid();
};

TEST(Scrambling, RoundTripsEveryByteValue) {
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    const QString text = Cp1252::decode(all);
    const QString hex = Criptografar(text);
    EXPECT_EQ(hex.size(), 512);
    EXPECT_EQ(hex, hex.toUpper());
    EXPECT_EQ(Descriptografar(hex), text);
}

TEST(Scrambling, HexFormsAndKeyRepeat) {
    EXPECT_EQ(TextoParaHex(QStringLiteral("abc")), QStringLiteral("616263"));
    EXPECT_EQ(HexParaTexto(QStringLiteral("616263")), QStringLiteral("abc"));
    EXPECT_EQ(TextoParaHex(QString()), QString());
    // A pair is read as far as it holds hex digits; an odd tail is read alone.
    EXPECT_EQ(HexParaTexto(QStringLiteral("6G")), QString(QChar(6)));
    EXPECT_EQ(HexParaTexto(QStringLiteral("41A")), QStringLiteral("A") + QChar(10));
    // Accented text is scrambled as its Windows-1252 bytes.
    EXPECT_EQ(TextoParaHex(QStringLiteral("Ã")), QStringLiteral("C3"));
}

TEST(Scrambling, KnownAnswersOverTheWholeKey) {
    // Fixed answers, so that the files of existing installations stay readable: "0" against
    // each of the 19 key digits spells the key itself, and position 20 starts it again.
    const std::pair<const char*, const char*> known[] = {
        {"00000000000000000000", "0508020004040701060300050802090107030405"},
        {"VERTALUMEX CLINICA 2026", "637D60647578627C736B1076747B777874721407080006"},
        {"SÃO JOÃO", "66FB7D107E7BF47E"},
        {"srv", "464A44"},
        {"7", "02"},
    };
    for (const auto& [plain, hex] : known) {
        EXPECT_EQ(Criptografar(QString::fromUtf8(plain)), QLatin1String(hex)) << plain;
        EXPECT_EQ(Descriptografar(QLatin1String(hex)), QString::fromUtf8(plain)) << plain;
    }
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Desktop::setProgramFolder(dir.path());
    }
    void TearDown() override { Desktop::setProgramFolder(QString()); }
    QTemporaryDir dir;
};

TEST_F(SettingsFile, WritesSixCrLfLinesAndReadsThemBack) {
    const QString path = iniFilePath(dir.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Vertalumex.ini")));
    ASSERT_EQ(writeIniFile(path, {QStringLiteral(" srv "), QString(), QStringLiteral("db"),
                                  QStringLiteral("u"), QStringLiteral("7")}),
              QString());
    EXPECT_EQ(readAll(path), QByteArray("[CONFIG]\r\nconexao=464A44\r\nsenha=\r\nbanco=515A\r\n"
                                        "userbco=40\r\nidlic=02\r\n"));
    auto read = [&](const char* key) {
        return Descriptografar(LeINI(QStringLiteral("CONFIG"), QLatin1String(key),
                                     QStringLiteral("DefaultUser"), path));
    };
    EXPECT_EQ(read("conexao"), QStringLiteral("srv"));
    EXPECT_EQ(read("senha"), QString());
    EXPECT_EQ(read("IDLIC"), QStringLiteral("7"));
    EXPECT_EQ(LeINI(QStringLiteral("CONFIG"), QStringLiteral("nada"), QStringLiteral("DefaultUser"),
                    path),
              QStringLiteral("DefaultUser"));
}

TEST_F(SettingsFile, FileIsFoundWhateverTheCaseOfItsName) {
    writeBytes(dir.filePath(QStringLiteral("vertalumex.INI")), "[config]\nIdLic=31\n");
    const QString path = iniFilePath(dir.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("vertalumex.INI")));
    EXPECT_EQ(LeINI(QStringLiteral("CONFIG"), QStringLiteral("idlic"), QString(), path),
              QStringLiteral("31"));
}

TEST_F(SettingsFile, LongValuesAreReadWhole) {
    const QString longValue(300, QLatin1Char('x'));
    const QString path = iniFilePath(dir.path());
    ASSERT_EQ(writeIniFile(path, {longValue, {}, {}, {}, {}}), QString());
    EXPECT_EQ(Descriptografar(
                  LeINI(QStringLiteral("CONFIG"), QStringLiteral("conexao"), QString(), path)),
              longValue);
}

QLineEdit* box(QDialog* form, const char* name) {
    return form->findChild<QLineEdit*>(QLatin1String(name));
}

TEST_F(SettingsFile, FormShowsTheFileAndNoLeavesItByteIdentical) {
    const QString path = iniFilePath(dir.path());
    ASSERT_EQ(writeIniFile(path, {QStringLiteral("srv"), QStringLiteral("pw"), QStringLiteral("db"),
                                  QStringLiteral("usr"), QStringLiteral("42")}),
              QString());
    const QByteArray before = readAll(path);
    frmconfig form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Configuração"));
    EXPECT_EQ(box(&form, "txtString")->text(), QStringLiteral("srv"));
    EXPECT_EQ(box(&form, "txtSenha")->text(), QStringLiteral("pw"));
    EXPECT_EQ(box(&form, "txtIdLic")->maxLength(), 15);
    form.show();
    box(&form, "txtNmBco")->setText(QStringLiteral("outro"));
    prompts().answers = {MsgAnswer::No};
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text, QStringLiteral("Confirma os dados?"));
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(readAll(path), before);

    prompts().answers = {MsgAnswer::Yes};
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_EQ(prompts().last().text, QStringLiteral("Configuração salva com sucesso!"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Vertalumex"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(
        Descriptografar(LeINI(QStringLiteral("CONFIG"), QStringLiteral("banco"), QString(), path)),
        QStringLiteral("outro"));
}

// A long password and server read from their first letter when the form shows, also once the
// password is entered by Tab or Shift+Tab and left again.
TEST_F(SettingsFile, TheFormShowsTheStartOfLongSettings) {
    const QString password = QStringLiteral("SENHA-MUITO-LONGA-DO-BANCO-DA-CLINICA-2026-XYZ");
    const QString server = QStringLiteral("servidor.clinica.exemplo.com.br;Port=3306;SSLCA=x");
    ASSERT_EQ(writeIniFile(iniFilePath(dir.path()),
                           {server, password, QStringLiteral("db"), QStringLiteral("usr"), {}}),
              QString());
    frmconfig form;
    std::vector<int> carets;
    setModalDriver([&](QDialog* shown) {
        QApplication::setActiveWindow(shown);
        QLineEdit* senha = box(shown, "txtSenha");
        carets.push_back(senha->cursorPosition());
        carets.push_back(box(shown, "txtString")->cursorPosition());
        box(shown, "txtNmUsu")->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(box(shown, "txtNmUsu"), Qt::Key_Tab);
        EXPECT_EQ(senha->selectedText(), password);
        carets.push_back(senha->cursorPosition());
        QTest::keyClick(senha, Qt::Key_Tab);
        QTest::keyClick(box(shown, "txtString"), Qt::Key_Backtab);
        carets.push_back(senha->cursorPosition());
        QTest::keyClick(senha, Qt::Key_Tab);
        carets.push_back(senha->cursorPosition());
    });
    showModal(&form);
    setModalDriver({});
    EXPECT_EQ(carets, (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(SettingsFile, MissingKeyReadsEmptyNotAsGarbage) {
    const QString path = dir.filePath(QStringLiteral("Vertalumex.ini"));
    writeBytes(path, "[CONFIG]\r\nidlic=02\r\nsenha=\r\n");
    EXPECT_EQ(LeConfig(QStringLiteral("idlic"), path), QStringLiteral("7"));
    EXPECT_EQ(LeConfig(QStringLiteral("senha"), path), QString());
    EXPECT_EQ(LeConfig(QStringLiteral("banco"), path), QString());
    frmconfig form;
    EXPECT_EQ(box(&form, "txtIdLic")->text(), QStringLiteral("7"));
    EXPECT_EQ(box(&form, "txtNmBco")->text(), QString());
    EXPECT_EQ(box(&form, "txtString")->text(), QString());
}

TEST_F(SettingsFile, FailedWriteKeepsTheOldFileAndSaysSo) {
    const QString path = iniFilePath(dir.path());
    ASSERT_EQ(writeIniFile(path, {QStringLiteral("srv"), {}, {}, {}, {}}), QString());
    const QByteArray before = readAll(path);
    frmconfig form;
    form.show();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    prompts().answers = {MsgAnswer::Yes};
    {
        const Unprivileged nobody;
        form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_NE(prompts().last().text, QStringLiteral("Configuração salva com sucesso!"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(SettingsFile, OnlyItsOwnerCanReadIt) {
    const QString path = iniFilePath(dir.path());
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    const auto mask = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                      QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                      QFile::ExeOther;
    ASSERT_EQ(writeIniFile(path, {QStringLiteral("srv"), QStringLiteral("pw"), {}, {}, {}}),
              QString());
    EXPECT_EQ(QFile::permissions(path) & mask, ownerOnly);
    // A file left readable by everyone is rewritten by the settings form for its owner alone.
    QFile::setPermissions(path, ownerOnly | QFile::ReadGroup | QFile::ReadOther);
    frmconfig form;
    form.show();
    prompts().answers = {MsgAnswer::Yes};
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_EQ(prompts().last().text, QStringLiteral("Configuração salva com sucesso!"));
    EXPECT_EQ(QFile::permissions(path) & mask, ownerOnly);
}

} // namespace
} // namespace vtx::test
