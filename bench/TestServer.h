// Where the benchmarks find the private server that the scripts start: var/db/test.conf.
#pragma once

#include <map>

#include <QFile>
#include <QString>

namespace vtx::bench {

/// The port, user, password and database of the test server, by name.
inline std::map<QString, QString> testConf() {
    std::map<QString, QString> conf;
    QFile f(QStringLiteral(VTX_SOURCE_DIR "/var/db/test.conf"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (const qsizetype eq = line.indexOf('='); eq > 0)
                conf[QString::fromUtf8(line.left(eq))] = QString::fromUtf8(line.mid(eq + 1));
    return conf;
}

/// The ODBC connection string of the test server.
inline QString connectionString() {
    auto c = testConf();
    return QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=127.0.0.1;Port=%1;"
                          "Database=%2;User=%3;Password=%4;Option=3;")
        .arg(c[QStringLiteral("port")], c[QStringLiteral("database")], c[QStringLiteral("user")],
             c[QStringLiteral("password")]);
}

/// The command-line client's options for the test server, before the statements' input.
inline QString clientCommand() {
    auto c = testConf();
    return QStringLiteral("mariadb --no-defaults --batch -h 127.0.0.1 -P %1 -u%2 -p%3 %4")
        .arg(c[QStringLiteral("port")], c[QStringLiteral("user")], c[QStringLiteral("password")],
             c[QStringLiteral("database")]);
}

} // namespace vtx::bench
