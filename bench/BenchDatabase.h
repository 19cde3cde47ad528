// Where the benchmarks find the server that bench/run makes for them (the file named by
// VTX_TEST_CONF, as for the tests), and the MariaDB C API connection they compare the layer with.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mysql.h>
#include <string>
#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "../tests/support/TestConf.h"

/// The settings of the benchmarks' server; a process that cannot read them ends, since no
/// figure could be measured without it.
inline std::map<QString, QString> benchDatabaseSettings() {
    vtx::test::TestConf conf =
        vtx::test::readTestConf(QStringLiteral("the benchmarks"), QStringLiteral("bench/run"));
    if (!conf.problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(conf.problem));
        std::exit(1);
    }
    return std::move(conf.values);
}

/// The ODBC connection string of the server's test database.
inline QString benchConnectionString() {
    auto c = benchDatabaseSettings();
    return QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=127.0.0.1;Port=%1;"
                          "Database=%2;User=%3;Password=%4;Option=3;")
        .arg(c[QStringLiteral("port")], c[QStringLiteral("database")], c[QStringLiteral("user")],
             c[QStringLiteral("password")]);
}

/// The statement with each marker replaced by the next of the literals (written as they are,
/// quotes included), for the C API side of a comparison.
inline std::string withValues(const QString& sql, const QStringList& literals) {
    QString out;
    qsizetype next = 0;
    for (const QChar c : sql)
        if (c == QLatin1Char('?') && next < literals.size())
            out += literals[next++];
        else
            out += c;
    return out.toStdString();
}

/// The statement with each marker replaced by the next value written as an SQL literal: a
/// date quoted as 'yyyy-mm-dd', a text quoted (its quotes and backslashes escaped), a number
/// as it is.
inline std::string withLiterals(const QString& sql, const std::vector<QVariant>& values) {
    QStringList literals;
    for (const QVariant& value : values)
        if (value.typeId() == QMetaType::QDate)
            literals << QLatin1Char('\'') + value.toDate().toString(Qt::ISODate) +
                            QLatin1Char('\'');
        else if (value.typeId() == QMetaType::QString)
            literals << QLatin1Char('\'') +
                            value.toString()
                                .replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                                .replace(QLatin1Char('\''), QStringLiteral("\\'")) +
                            QLatin1Char('\'');
        else
            literals << value.toString();
    return withValues(sql, literals);
}

/// A warm connection of the MariaDB C API to the same database: the reference the benchmarks
/// set the layer beside. The values of its statements are written in, as the benchmark's own
/// constants; a failure ends the process, since no figure could be trusted after it.
class CApi {
public:
    CApi() {
        auto c = benchDatabaseSettings();
        m_db = mysql_init(nullptr);
        if (!mysql_real_connect(m_db, "127.0.0.1", c[QStringLiteral("user")].toUtf8().constData(),
                                c[QStringLiteral("password")].toUtf8().constData(),
                                c[QStringLiteral("database")].toUtf8().constData(),
                                c[QStringLiteral("port")].toUInt(), nullptr, 0) ||
            mysql_set_character_set(m_db, "utf8mb4") != 0)
            fail();
    }
    ~CApi() { mysql_close(m_db); }
    CApi(const CApi&) = delete;
    CApi& operator=(const CApi&) = delete;

    MYSQL* get() const { return m_db; }

    /// Runs a statement that returns no rows; gives the rows it changed.
    long long run(const std::string& sql) {
        if (mysql_real_query(m_db, sql.data(), sql.size()) != 0)
            fail();
        return static_cast<long long>(mysql_affected_rows(m_db));
    }

    /// Runs a select and hands each row (its cells, NULL as nullptr) to `row`; gives the number
    /// of rows read.
    template <typename Row> long long select(const std::string& sql, Row row) {
        if (mysql_real_query(m_db, sql.data(), sql.size()) != 0)
            fail();
        MYSQL_RES* result = mysql_store_result(m_db);
        if (!result)
            fail();
        long long count = 0;
        while (MYSQL_ROW cells = mysql_fetch_row(result)) {
            row(cells);
            ++count;
        }
        mysql_free_result(result);
        return count;
    }

private:
    [[noreturn]] void fail() {
        std::fprintf(stderr, "C API: %s\n", mysql_error(m_db));
        std::exit(1);
    }

    MYSQL* m_db = nullptr;
};
