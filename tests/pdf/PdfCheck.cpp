// PDF checker: the outside tools plus a small reader of the cross-reference table.
#include "PdfCheck.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace vtx::test {

QStringList PdfCheck::problems() const {
    QStringList p;
    if (qpdfExit != 0)
        p << QStringLiteral("qpdf --check exit %1: %2").arg(qpdfExit).arg(qpdfOutput);
    if (!rasterErrors.isEmpty())
        p << QStringLiteral("pdftoppm: ") + rasterErrors;
    if (version.isEmpty() || pages <= 0)
        p << QStringLiteral("pdfinfo gives no version or pages");
    if (!xrefProblem.isEmpty())
        p << QStringLiteral("xref: ") + xrefProblem;
    return p;
}

std::string PdfCheck::describe() const {
    return problems().join(QLatin1Char('\n')).toStdString();
}

QString runTool(const QString& program, const QStringList& args, QString* errors, int* exitCode) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000))
        p.kill();
    if (errors)
        *errors = QString::fromLocal8Bit(p.readAllStandardError());
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

namespace {

struct Xref {
    qsizetype start = -1;
    QList<qsizetype> offsets; // -1 for free entries
};

Xref readXref(const QByteArray& file, QString* problem) {
    Xref x;
    const qsizetype at = file.lastIndexOf("startxref");
    if (at < 0) {
        *problem = QStringLiteral("no startxref");
        return x;
    }
    bool ok = false;
    x.start = file.mid(at + 9, 24).trimmed().split('\r').first().trimmed().toLongLong(&ok);
    if (!ok || !file.mid(x.start).startsWith("xref")) {
        *problem = QStringLiteral("startxref does not land on xref");
        x.start = -1;
        return x;
    }
    qsizetype p = file.indexOf('\n', x.start) + 1;
    const qsizetype eol = file.indexOf('\n', p);
    const QList<QByteArray> head = file.mid(p, eol - p).trimmed().split(' ');
    const int count = head.size() == 2 ? head[1].toInt() : 0;
    p = eol + 1;
    for (int k = 0; k < count; ++k, p += 20) {
        const QByteArray entry = file.mid(p, 20);
        if (entry.size() != 20 || !entry.endsWith("\r\n")) {
            *problem = QStringLiteral("xref entry %1 is not 20 bytes").arg(k);
            return x;
        }
        x.offsets << (entry[17] == 'n' ? entry.left(10).toLongLong() : -1);
    }
    return x;
}

} // namespace

QString xrefProblem(const QByteArray& file) {
    QString problem;
    const Xref x = readXref(file, &problem);
    if (!problem.isEmpty())
        return problem;
    for (int k = 1; k < x.offsets.size(); ++k) {
        const QByteArray head = QByteArray::number(k) + " 0 obj";
        if (x.offsets[k] < 0 || file.mid(x.offsets[k], head.size()) != head)
            return QStringLiteral("object %1 is not at %2").arg(k).arg(x.offsets[k]);
    }
    return {};
}

qsizetype objectOffset(const QByteArray& file, int number) {
    QString problem;
    const Xref x = readXref(file, &problem);
    return number > 0 && number < x.offsets.size() ? x.offsets[number] : -1;
}

QByteArray pdfObject(const QByteArray& file, int number) {
    const qsizetype at = objectOffset(file, number);
    if (at < 0)
        return {};
    qsizetype end = file.indexOf("\r\nendobj\r\n", at);
    const qsizetype stream = file.indexOf("\r\nstream\r\n", at);
    if (stream >= 0 && stream < end)
        end = file.indexOf("\r\nendobj\r\n", file.indexOf("endstream", stream));
    return end < 0 ? QByteArray() : file.mid(at, end + 10 - at);
}

QByteArray streamData(const QByteArray& file, int number) {
    const QByteArray obj = pdfObject(file, number);
    const qsizetype s = obj.indexOf("stream\r\n");
    const qsizetype e = obj.lastIndexOf("endstream");
    return s < 0 || e < 0 ? QByteArray() : obj.mid(s + 8, e - s - 8);
}

PdfCheck checkPdf(const QString& path) {
    PdfCheck c;
    c.qpdfOutput =
        runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}, nullptr, &c.qpdfExit);
    QTemporaryDir dir;
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"), path,
             dir.filePath(QStringLiteral("page"))},
            &c.rasterErrors);
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    const auto field = [&](const QString& name) {
        const QRegularExpression re(QStringLiteral("^") + name + QStringLiteral(":\\s*(.*)$"),
                                    QRegularExpression::MultilineOption);
        return re.match(info).captured(1).trimmed();
    };
    c.version = field(QStringLiteral("PDF version"));
    c.pages = field(QStringLiteral("Pages")).toInt();
    c.pageSize = field(QStringLiteral("Page size"));
    c.xrefProblem = xrefProblem(readFile(path));
    return c;
}

} // namespace vtx::test
