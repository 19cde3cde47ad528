// Set-up tool: writes the settings file of a program folder in the program's own format.
// Usage: vtx-writeini <folder> <server> <password> <database> <user> <installation key>
#include <cstdio>

#include <QCoreApplication>

#include "Ini.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 7) {
        std::fputs("usage: vtx-writeini folder server password database user idlic\n", stderr);
        return 2;
    }
    const QString error =
        vtx::writeIniFile(vtx::iniFilePath(args[1]), {args[2], args[3], args[4], args[5], args[6]});
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
