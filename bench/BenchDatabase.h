// Where the benchmarks find the private server that the scripts start: the same settings file
// the tests read.
#pragma once

#include <map>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryFile>

inline std::map<QString, QString> benchDatabaseSettings() {
    std::map<QString, QString> conf;
    QFile f(QStringLiteral(VTX_SOURCE_DIR "/var/db/test.conf"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (const qsizetype eq = line.indexOf('='); eq > 0)
                conf[QString::fromUtf8(line.left(eq))] = QString::fromUtf8(line.mid(eq + 1));
    return conf;
}

/// The ODBC connection string of the server's test database.
inline QString benchConnectionString() {
    auto c = benchDatabaseSettings();
    return QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=127.0.0.1;Port=%1;"
                          "Database=%2;User=%3;Password=%4;Option=3;")
        .arg(c[QStringLiteral("port")], c[QStringLiteral("database")], c[QStringLiteral("user")],
             c[QStringLiteral("password")]);
}

/// The command-line client on the server's test database, in batch mode; the statements come
/// after it, as "-e" or as its input. The login goes through an options file of the process's
/// own (0600, removed at exit), never on the command line where other accounts could read it.
inline QString benchClient() {
    static QTemporaryFile options(QDir::temp().filePath(QStringLiteral("vtx_bench_XXXXXX.cnf")));
    static const QString database = [] {
        auto c = benchDatabaseSettings();
        if (options.open()) {
            options.write(
                QStringLiteral("[client]\nhost=127.0.0.1\nport=%1\nuser=%2\npassword=%3\n")
                    .arg(c[QStringLiteral("port")], c[QStringLiteral("user")],
                         c[QStringLiteral("password")])
                    .toUtf8());
            options.flush();
        }
        return c[QStringLiteral("database")];
    }();
    return QStringLiteral("mariadb --defaults-file=%1 --batch %2")
        .arg(options.fileName(), database);
}

/// The shell command that runs one select through the command-line client, its rows thrown
/// away; the select must hold no double quote.
inline QByteArray benchClientCommand(const QString& select) {
    return (benchClient() + QStringLiteral(" -e \"%1\" > /dev/null").arg(select)).toUtf8();
}
