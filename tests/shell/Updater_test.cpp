// The updater download against a loopback server: progress steps, the file, start and end.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "Desktop.h"
#include "LoopbackServer.h"
#include "ScriptedPrompter.h"
#include "Updater.h"
#include "WebRequest.h"

using namespace vtx;
using vtx::test::LoopbackServer;
using vtx::test::prompts;

namespace {

const QString kPath = QStringLiteral("/down/vertalumex/trevanu.exe");

QWidget* progressWindow() {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->objectName() == u"frmProgresso" && w->isVisible())
            return w;
    return nullptr;
}

/// Records the values the progress bar passes through, from the moment its window shows.
class BarSteps : public QObject {
public:
    BarSteps() { qApp->installEventFilter(this); }
    ~BarSteps() override { qApp->removeEventFilter(this); }
    std::vector<int> values;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == u"frmProgresso")
            if (auto* bar = watched->findChild<QProgressBar*>(QStringLiteral("ProgressBar1")))
                connect(bar, &QProgressBar::valueChanged, this,
                        [this](int v) { values.push_back(v); });
        return false;
    }
};

class UpdaterTest : public vtx::test::WebFixture {
protected:
    void SetUp() override {
        WebFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        Desktop::setProgramFolder(folder.path());
        Desktop::setHooks({[this](const QString& path) {
                               started.push_back(path);
                               return startSucceeds;
                           },
                           [](const QString&) { return true; }, [] {}});
        mainWindow.setObjectName(QStringLiteral("frmPrincipal"));
        server.onRequest = [this](const LoopbackServer::Request&) {
            waiting.pointer = mainWindow.cursor().shape();
            if (QWidget* w = progressWindow()) {
                const auto* bar = w->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
                waiting = {waiting.pointer, w->windowTitle(),
                           w->findChild<QLabel*>(QStringLiteral("lMSG"))->text(), bar->value(),
                           bar->maximum()};
            }
        };
    }
    void TearDown() override {
        Desktop::setProgramFolder(QString());
        WebFixture::TearDown();
    }

    QByteArray fileBytes() const {
        QFile f(Desktop::programFile(QStringLiteral("trevanu.exe")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    /// The attempt failed: the box, the arrow back, nothing started, the program goes on.
    void expectFailure(const QString& text, const QString& title) {
        ASSERT_EQ(prompts().messages.size(), 1u);
        EXPECT_EQ(prompts().last().text, text);
        EXPECT_EQ(prompts().last().title, title);
        EXPECT_EQ(mainWindow.cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(progressWindow(), nullptr);
        EXPECT_FALSE(Desktop::programEnded());
    }

    QTemporaryDir folder;
    QWidget mainWindow;
    std::vector<QString> started;
    bool startSucceeds = true;
    /// The screen while the request is on its way.
    struct {
        Qt::CursorShape pointer = Qt::ArrowCursor;
        QString caption, message;
        int value = -1, maximum = 0;
    } waiting;
};

TEST_F(UpdaterTest, GoodDownloadWritesStartsAndEnds) {
    QByteArray program;
    for (int i = 0; i < 300000; ++i)
        program.append(char(i * 7 % 256));
    server.answer(kPath, {200, program});
    BarSteps steps;
    int barWhenStarted = -1;
    Desktop::setHooks({[&](const QString& path) {
                           started.push_back(path);
                           barWhenStarted =
                               progressWindow()
                                   ->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))
                                   ->value();
                           return fileBytes() == program;
                       },
                       [](const QString&) { return true; }, [] {}});

    BaixaAtualizacao();

    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(server.requests[0].headers.value("user-agent"), QByteArray("Mozilla/5.0"));
    EXPECT_EQ(waiting.pointer, Qt::WaitCursor);
    EXPECT_EQ(waiting.value, 1);
    EXPECT_EQ(steps.values, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(barWhenStarted, 3);
    EXPECT_EQ(fileBytes(), program);
    EXPECT_TRUE(QFile::permissions(Desktop::programFile(QStringLiteral("trevanu.exe"))) &
                QFile::ExeOwner);
    EXPECT_EQ(started, std::vector<QString>{Desktop::programFile(QStringLiteral("trevanu.exe"))});
    EXPECT_TRUE(Desktop::programEnded());
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(UpdaterTest, ErrorStatusKeepsTheProgramRunning) {
    server.answer(kPath, {500, "internal error"});
    BaixaAtualizacao();
    EXPECT_EQ(waiting.pointer, Qt::WaitCursor);
    EXPECT_EQ(waiting.caption, QStringLiteral("Atualização"));
    EXPECT_EQ(waiting.message, QStringLiteral("Aguarde... Baixando Atualização..."));
    EXPECT_EQ(waiting.maximum, 3);
    expectFailure(QStringLiteral("Erro ao baixar atualização. Código: 500"), kAppTitle);
    EXPECT_EQ(prompts().last().icon, MsgIcon::None);
    EXPECT_EQ(prompts().last().buttons, MsgButtons::Ok);
    EXPECT_FALSE(QFile::exists(Desktop::programFile(QStringLiteral("trevanu.exe"))));
    EXPECT_TRUE(started.empty());
}

TEST_F(UpdaterTest, AServerThatDoesNotAnswerIsToldSo) {
    Web::setTestBase(vtx::test::closedPortUrl());
    BaixaAtualizacao();
    expectFailure(
        QStringLiteral("Erro ao baixar atualização. O servidor de atualização não respondeu."),
        kAppTitle);
    EXPECT_EQ(prompts().last().icon, MsgIcon::None);
    EXPECT_TRUE(started.empty());
}

TEST_F(UpdaterTest, CutAnswerLeavesTheEarlierFileWhole) {
    QFile old(Desktop::programFile(QStringLiteral("trevanu.exe")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier updater");
    old.close();
    server.answer(kPath, {200, QByteArray(50000, 'x'), LoopbackServer::Mode::Truncate});
    BaixaAtualizacao();
    expectFailure(QStringLiteral("Erro ao baixar atualização. A transferência foi interrompida."),
                  kAppTitle);
    EXPECT_EQ(fileBytes(), QByteArray("earlier updater"));
    EXPECT_TRUE(started.empty());
}

TEST_F(UpdaterTest, UnwritableFolderStartsNothing) {
    Desktop::setProgramFolder(folder.filePath(QStringLiteral("missing")));
    server.answer(kPath, {200, "program"});
    BaixaAtualizacao();
    expectFailure(QStringLiteral("--- ERRO --- NÃO FOI POSSÍVEL GRAVAR A ATUALIZAÇÃO!"),
                  QStringLiteral("ATENÇÃO"));
    EXPECT_TRUE(started.empty());
}

TEST_F(UpdaterTest, ProgramThatDoesNotStartDoesNotEndThisOne) {
    startSucceeds = false;
    server.answer(kPath, {200, "program"});
    BaixaAtualizacao();
    EXPECT_EQ(started.size(), 1u);
    expectFailure(QStringLiteral("--- ERRO --- NÃO FOI POSSÍVEL INICIAR A ATUALIZAÇÃO!"),
                  QStringLiteral("ATENÇÃO"));
}

} // namespace
