// Set-up tool: writes the settings file of a program folder in the program's own format.
// Usage: vtx-writeini <folder> <server> <password file> <database> <user> <installation key>
// The password is read from a file, so that it never shows in the list of processes.
#include <cstdio>

#include <QCoreApplication>
#include <QFile>

#include "Ini.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 7) {
        std::fputs("usage: vtx-writeini folder server password-file database user idlic\n", stderr);
        return 2;
    }
    QFile passwordFile(args[3]);
    if (!passwordFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(args[3]),
                     qPrintable(passwordFile.errorString()));
        return 1;
    }
    const QString password = QString::fromUtf8(passwordFile.readAll()).trimmed();
    const QString error = vtx::writeIniFile(vtx::iniFilePath(args[1]),
                                            {args[2], password, args[4], args[5], args[6]});
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
