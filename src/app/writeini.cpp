// Set-up tool: writes the settings file of a program folder for the private server, in the
// program's own format, when the file is missing or still points at that server.
// Usage: vtx-writeini <folder> <server> <password file> <database> <user> <installation key>
// The password is read from a file, so that it never shows in the list of processes. A file
// still points at the private server when it names its database and user on the loopback
// address with its port or its password: the other of the two may have changed and is written
// anew. An empty key keeps the file's own, or gives "1" to a new file. A file pointed elsewhere
// (through the settings form) is kept as it is.
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
    const QString path = vtx::iniFilePath(args[1]);
    vtx::IniValues values{args[2], QString::fromUtf8(passwordFile.readAll()).trimmed(), args[4],
                          args[5], args[6]};
    if (QFile::exists(path)) {
        const QString server = vtx::LeConfig(QStringLiteral("conexao"), path);
        const bool pointsHere = vtx::LeConfig(QStringLiteral("banco"), path) == values.banco &&
                                vtx::LeConfig(QStringLiteral("userbco"), path) == values.userbco &&
                                server.startsWith(QLatin1String("127.0.0.1;Port=")) &&
                                (server == values.conexao ||
                                 vtx::LeConfig(QStringLiteral("senha"), path) == values.senha);
        if (!pointsHere) {
            std::printf("%s points at another server (%s): kept as it is\n", qPrintable(path),
                        qPrintable(server));
            return 0;
        }
        if (values.idlic.isEmpty())
            values.idlic = vtx::LeConfig(QStringLiteral("idlic"), path);
    }
    if (values.idlic.isEmpty())
        values.idlic = QStringLiteral("1");
    const QString error = vtx::writeIniFile(path, values);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
