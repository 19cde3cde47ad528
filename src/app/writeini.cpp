// Set-up tool of the program's settings file, in the program's own format and through its own
// reader, so that the set-up reads a file exactly as the program does.
//
//   vtx-writeini --read <folder>
//     Prints, as one JSON object, the folder's settings file ("file"), what it holds ("kind":
//     "missing", "empty" when it holds no value, "unreadable" when a line is no setting,
//     section or comment or its server is no scrambled value, else "settings") and its values
//     unscrambled ("conexao", "senha", "banco", "userbco", "idlic").
//   vtx-writeini <folder> <server> <password file> <database> <user> <installation key>
//     Writes the file with these values. The password is read from a file, so that it never
//     shows in the list of processes. An empty key keeps the file's own, or gives "1" to a new
//     file. Whether a file is written at all is the set-up's decision (settings.py), made on
//     what --read printed.
#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "Cp1252.h"
#include "Ini.h"

namespace {

const char* const kKeys[] = {"conexao", "senha", "banco", "userbco", "idlic"};

/// What the file holds, its lines taken as the program's reader takes them (Windows-1252,
/// trimmed, ';' comments, sections and keys ignoring case, blanks around '=' dropped).
QString fileKind(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unreadable");
    bool values = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = vtx::Cp1252::decode(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return QStringLiteral("unreadable");
        values = values || !line.mid(eq + 1).trimmed().isEmpty();
    }
    if (!values)
        return QStringLiteral("empty");
    // The server as the program reads it: scrambled, so pairs of hex digits.
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})+$"));
    const QString server =
        vtx::LeINI(QStringLiteral("CONFIG"), QStringLiteral("conexao"), QString(), path);
    return hex.match(server).hasMatch() ? QStringLiteral("settings") : QStringLiteral("unreadable");
}

int readSettings(const QString& folder) {
    const QString path = vtx::iniFilePath(folder);
    QJsonObject out{{QStringLiteral("file"), path}};
    if (!QFile::exists(path)) {
        out[QStringLiteral("kind")] = QStringLiteral("missing");
    } else {
        out[QStringLiteral("kind")] = fileKind(path);
        for (const char* key : kKeys)
            out[QLatin1String(key)] = vtx::LeConfig(QLatin1String(key), path);
    }
    const QByteArray json = QJsonDocument(out).toJson(QJsonDocument::Compact);
    return std::fwrite(json.constData(), 1, json.size(), stdout) == size_t(json.size()) &&
                   std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0
               ? 0
               : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--read"))
        return readSettings(args[2]);
    if (args.size() != 7) {
        std::fputs("usage: vtx-writeini --read folder\n"
                   "       vtx-writeini folder server password-file database user idlic\n",
                   stderr);
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
    if (values.idlic.isEmpty() && QFile::exists(path))
        values.idlic = vtx::LeConfig(QStringLiteral("idlic"), path);
    if (values.idlic.isEmpty())
        values.idlic = QStringLiteral("1");
    const QString error = vtx::writeIniFile(path, values);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
