// Where the tests and the benchmarks find the server made for their run: the key=value file
// that ./scripts/test and bench/run name in VTX_TEST_CONF.
#pragma once

#include <map>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace vtx::test {

/// The run server's settings; an empty map and the reason when they cannot be read.
struct TestConf {
    std::map<QString, QString> values;
    QString problem;
};

/// Reads VTX_TEST_CONF. `who` and `maker` name, in the reason, what needs the server and the
/// command that makes it.
inline TestConf readTestConf(const QString& who, const QString& maker) {
    TestConf conf;
    const QByteArray path = qgetenv("VTX_TEST_CONF");
    if (path.isEmpty()) {
        conf.problem = QStringLiteral("VTX_TEST_CONF is not set: %1 run on a server of their own, "
                                      "which %2 makes and names there")
                           .arg(who, maker);
        return conf;
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        conf.problem = QStringLiteral("VTX_TEST_CONF names %1, which cannot be read (%2): its "
                                      "server is gone; run %3")
                           .arg(file.fileName(), file.errorString(), maker);
        return conf;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString l = QString::fromUtf8(line).trimmed();
        const qsizetype eq = l.indexOf(QLatin1Char('='));
        if (eq > 0)
            conf.values.emplace(l.left(eq), l.mid(eq + 1));
    }
    return conf;
}

} // namespace vtx::test
