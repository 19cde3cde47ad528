// Desktop services behind replaceable hooks.
#include "Desktop.h"

#include <cstdlib>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "Prompter.h"

namespace vtx::Desktop {

namespace {
QString folderOverride;
Hooks hooks;
bool ended = false;
} // namespace

QString programFolder() {
    return folderOverride.isEmpty() ? QCoreApplication::applicationDirPath() : folderOverride;
}

void setProgramFolder(const QString& folder) {
    folderOverride = folder;
}

QString programFile(const QString& name) {
    return QDir(programFolder()).filePath(name);
}

bool startProgram(const QString& path) {
    if (hooks.startProgram)
        return hooks.startProgram(path);
    return QProcess::startDetached(path, {}, QFileInfo(path).absolutePath());
}

bool openDocument(const QString& pathOrUrl) {
    if (hooks.openDocument)
        return hooks.openDocument(pathOrUrl);
    const QUrl url =
        pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

namespace {

void sayCannotOpen(const QString& what, const QString& where) {
    msgBox(QStringLiteral("Não foi possível abrir ") + what + QStringLiteral(":\n") + where,
           QStringLiteral("ATENÇÃO"), MsgIcon::Exclamation);
}

/// Opens the target with the desktop's open action and calls cannotOpen when the desktop
/// could not: at once, or as soon as the opener ends without a program for it.
void openWatched(const QString& target, const std::function<void()>& cannotOpen) {
    // xdg-open reports a target with no program to open it only through its exit code, after
    // Qt has already counted the start as a success: it is run and watched here.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (hooks.openDocument || opener.isEmpty()) {
        if (!openDocument(target))
            cannotOpen();
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process,
                     [process, cannotOpen](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || code != 0)
                             cannotOpen();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, cannotOpen](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         cannotOpen();
                     });
    process->start(opener, {target});
}

} // namespace

void openFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    openWatched(hooks.openDocument ? path : full,
                [full] { sayCannotOpen(QStringLiteral("o arquivo"), full); });
}

void openPage(const QString& url) {
    openWatched(url, [url] { sayCannotOpen(QStringLiteral("a página"), url); });
}

void endProgram() {
    ended = true;
    if (hooks.endProgram) {
        hooks.endProgram();
        return;
    }
    std::exit(0);
}

bool programEnded() {
    return ended;
}

void setHooks(const Hooks& h) {
    hooks = h;
    ended = false;
}

void resetHooks() {
    hooks = Hooks{};
    ended = false;
}

} // namespace vtx::Desktop
