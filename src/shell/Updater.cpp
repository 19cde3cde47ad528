// The updater download: progress window, whole-file write, start of the updater, end.
#include "Updater.h"

#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QSaveFile>
#include <QWidget>

#include "Desktop.h"
#include "Prompter.h"
#include "WebRequest.h"
#include "frmProgresso.h"

namespace vtx {

namespace {

const QString kUpdaterFile = QStringLiteral("trevanu.exe");
/// The updater is a program, not a lookup's answer: it gets a bound of its own.
constexpr qint64 kMaxUpdaterBytes = 64 * 1024 * 1024;

QWidget* mainWindow() {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->objectName() == u"frmPrincipal")
            return w;
    return nullptr;
}

/// Lets the windows repaint; the user's input waits.
void repaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void setPointer(QWidget* window, Qt::CursorShape shape) {
    if (window)
        window->setCursor(shape);
}

/// Writes the file whole or leaves the folder as it was, and makes it runnable.
bool saveWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup |
                                    QFile::ExeOther);
    return true;
}

} // namespace

void BaixaAtualizacao() {
    QWidget* janela = mainWindow();
    setPointer(janela, Qt::WaitCursor);
    repaint();

    frmProgresso progresso(janela);
    progresso.show();
    QProgressBar* bar = progresso.ProgressBar1();
    bar->setMaximum(3);
    bar->setValue(0);
    repaint();

    // Ends the attempt: window away, arrow back, the reason told; the program goes on.
    const auto fail = [&](const QString& text, const QString& title, MsgIcon icon) {
        progresso.close();
        setPointer(janela, Qt::ArrowCursor);
        msgBox(text, title, icon);
    };

    const QUrl url =
        Web::serviceUrl(Web::Service::Maker, QStringLiteral("/down/vertalumex/") + kUpdaterFile);
    bar->setValue(1);
    repaint();
    const Web::Reply reply = Web::get(url, {{"User-Agent", "Mozilla/5.0"}}, kMaxUpdaterBytes);
    repaint();
    if (!reply.answered()) {
        fail(reply.begun ? QStringLiteral("Erro ao baixar atualização. A transferência foi "
                                          "interrompida.")
                         : QStringLiteral("Erro ao baixar atualização. O servidor de atualização "
                                          "não respondeu."),
             kAppTitle, MsgIcon::None);
        return;
    }
    if (reply.status != 200) {
        fail(QStringLiteral("Erro ao baixar atualização. Código: ") + QString::number(reply.status),
             kAppTitle, MsgIcon::None);
        return;
    }

    bar->setValue(2);
    repaint();
    const QString path = Desktop::programFile(kUpdaterFile);
    if (!saveWhole(path, reply.body)) {
        fail(QStringLiteral("--- ERRO --- NÃO FOI POSSÍVEL GRAVAR A ATUALIZAÇÃO!"),
             QStringLiteral("ATENÇÃO"), MsgIcon::Information);
        return;
    }
    bar->setValue(3);
    repaint();

    if (!Desktop::startProgram(path)) {
        fail(QStringLiteral("--- ERRO --- NÃO FOI POSSÍVEL INICIAR A ATUALIZAÇÃO!"),
             QStringLiteral("ATENÇÃO"), MsgIcon::Information);
        return;
    }
    Desktop::endProgram();
}

} // namespace vtx
