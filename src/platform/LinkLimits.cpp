// The limits of the waits on the server, and the keys of a connection string.
#include "LinkLimits.h"

#include <atomic>

namespace vtx {

namespace {

std::atomic<long long> connectSeconds{LinkLimits{}.connect.count()};
std::atomic<long long> readWriteSeconds{LinkLimits{}.readWrite.count()};

} // namespace

LinkLimits linkLimits() {
    return {std::chrono::seconds(connectSeconds.load()),
            std::chrono::seconds(readWriteSeconds.load())};
}

void setLinkLimits(const LinkLimits& limits) {
    connectSeconds = limits.connect.count();
    readWriteSeconds = limits.readWrite.count();
}

QString withLinkLimits(const QString& connectionString) {
    const LinkLimits limits = linkLimits();
    QString text = connectionString;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char(';')))
        text += QLatin1Char(';');
    return text + QStringLiteral("CONN_TIMEOUT=%1;READ_TIMEOUT=%2;WRITE_TIMEOUT=%2;")
                      .arg(limits.connect.count())
                      .arg(limits.readWrite.count());
}

QString connectionKey(const QString& connectionString, const QString& key) {
    QString found;
    const QString& s = connectionString;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(QLatin1Char('='), i);
        const qsizetype semi = s.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            i = semi < 0 ? s.size() : semi + 1;
            continue;
        }
        const QString name = s.mid(i, eq - i).trimmed();
        QString value;
        i = eq + 1;
        if (i < s.size() && s[i] == QLatin1Char('{')) {
            // In braces, a '}' is doubled inside and ends the value alone.
            for (++i; i < s.size(); ++i) {
                if (s[i] == QLatin1Char('}')) {
                    if (i + 1 < s.size() && s[i + 1] == QLatin1Char('}')) {
                        value += QLatin1Char('}');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += s[i];
            }
            const qsizetype end = s.indexOf(QLatin1Char(';'), i);
            i = end < 0 ? s.size() : end + 1;
        } else {
            const qsizetype end = s.indexOf(QLatin1Char(';'), i);
            value = s.mid(i, (end < 0 ? s.size() : end) - i).trimmed();
            i = end < 0 ? s.size() : end + 1;
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            found = value;
    }
    return found;
}

} // namespace vtx
