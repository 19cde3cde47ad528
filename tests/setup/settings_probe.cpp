// Test tool of the set-up: connects as the program does, from the settings file of a program
// folder (read by the program's own reader into the program's own connection string), and runs
// the statements given. A select prints its rows, one a line, values tab-separated; any other
// statement prints the rows it changed. Exit status 1 with the driver's message on failure.
// Usage: vtx-settings-probe <program folder> <statement>...
#include <cstdio>

#include <QCoreApplication>
#include <QStringList>

#include "Connection.h"
#include "DbError.h"
#include "Ini.h"
#include "Recordset.h"
#include "Session.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: vtx-settings-probe folder statement...\n", stderr);
        return 2;
    }
    const QString ini = vtx::iniFilePath(args[1]);
    auto read = [&](const char* key) { return vtx::LeConfig(QLatin1String(key), ini); };
    try {
        vtx::Connection db;
        db.open(
            vtx::connectionString(read("conexao"), read("banco"), read("userbco"), read("senha")));
        for (qsizetype i = 2; i < args.size(); ++i) {
            const QString sql = args[i].trimmed();
            if (!sql.startsWith(QLatin1String("select"), Qt::CaseInsensitive) &&
                !sql.startsWith(QLatin1String("show"), Qt::CaseInsensitive)) {
                std::printf("%lld\n", db.execute(sql));
                continue;
            }
            const vtx::Recordset rows = db.query(sql);
            for (int r = 0; r < rows.recordCount(); ++r) {
                QStringList line;
                for (int c = 0; c < rows.columns().size(); ++c)
                    line << rows.value(r, c).toString();
                std::printf("%s\n", qPrintable(line.join(QLatin1Char('\t'))));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
