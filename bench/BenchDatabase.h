// Where the benchmarks find the private server that the scripts start: the same settings file
// the tests read.
#pragma once

#include <map>

#include <QFile>
#include <QString>

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
/// after it, as "-e" or as its input.
inline QString benchClient() {
    auto c = benchDatabaseSettings();
    return QStringLiteral("mariadb --no-defaults --batch -h 127.0.0.1 -P %1 -u%2 -p%3 %4")
        .arg(c[QStringLiteral("port")], c[QStringLiteral("user")], c[QStringLiteral("password")],
             c[QStringLiteral("database")]);
}

/// The shell command that runs one select through the command-line client, its rows thrown
/// away; the select must hold no double quote.
inline QByteArray benchClientCommand(const QString& select) {
    return (benchClient() + QStringLiteral(" -e \"%1\" > /dev/null").arg(select)).toUtf8();
}
