// Desktop services behind replaceable hooks.
#include "Desktop.h"

#include <cstdlib>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
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

void openFile(const QString& path) {
    if (openDocument(path))
        return;
    msgBox(QStringLiteral("Não foi possível abrir o arquivo:\n") +
               QFileInfo(path).absoluteFilePath(),
           QStringLiteral("ATENÇÃO"), MsgIcon::Exclamation);
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
