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

void sayCannotOpen(const QString& path) {
    msgBox(QStringLiteral("Não foi possível abrir o arquivo:\n") +
               QFileInfo(path).absoluteFilePath(),
           QStringLiteral("ATENÇÃO"), MsgIcon::Exclamation);
}

} // namespace

void openFile(const QString& path) {
    // xdg-open reports a file type with no program to open it only through its exit code,
    // after Qt has already counted the start as a success: it is run and watched here.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (hooks.openDocument || opener.isEmpty()) {
        if (!openDocument(path))
            sayCannotOpen(path);
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process,
                     [process, path](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || code != 0)
                             sayCannotOpen(path);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, path](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         sayCannotOpen(path);
                     });
    process->start(opener, {QFileInfo(path).absoluteFilePath()});
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
