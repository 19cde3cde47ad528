// Tool runs and byte-level reading of written PDF files.
#include "TextPdfCheck.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "Clock.h"
#include "Desktop.h"
#include "Session.h"

namespace vtx::test {

ToolRun runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    ToolRun run;
    if (!p.waitForFinished(60000))
        return run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

QMap<QString, QString> checkPdf(const QString& path) {
    const ToolRun qpdf = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    EXPECT_EQ(qpdf.exitCode, 0) << qpdf.out.toStdString() << qpdf.err.toStdString();
    const ToolRun ppm = runTool(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"),
                                 QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                 QStringLiteral("3"), path, path + QStringLiteral(".page")});
    EXPECT_EQ(ppm.exitCode, 0);
    EXPECT_EQ(ppm.err, QString());
    QMap<QString, QString> info;
    const ToolRun pdfinfo = runTool(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : pdfinfo.out.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0)
            info[line.left(colon)] = line.mid(colon + 1).trimmed();
    }
    return info;
}

QString pageText(const QString& path, int page) {
    const QString n = QString::number(page);
    return runTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"), n,
                    QStringLiteral("-l"), n, path, QStringLiteral("-")})
        .out;
}

int checkXref(const QByteArray& pdf) {
    const qsizetype sx = pdf.lastIndexOf("startxref\r");
    EXPECT_GT(sx, 0);
    const qsizetype xref = pdf.mid(sx + 10, pdf.indexOf('\r', sx + 10) - sx - 10).toLongLong();
    EXPECT_TRUE(pdf.mid(xref).startsWith("xref\r0 "));
    const qsizetype countAt = xref + 7;
    const int size = pdf.mid(countAt, pdf.indexOf('\r', countAt) - countAt).toInt();
    qsizetype at = pdf.indexOf('\r', countAt) + 1;
    EXPECT_EQ(pdf.mid(at, 20), QByteArray("0000000000 65535 f \r"));
    for (int n = 1; n < size; ++n) {
        at += 20;
        const QByteArray entry = pdf.mid(at, 20);
        EXPECT_TRUE(entry.endsWith(" 00000 n \r")) << entry.constData();
        const qsizetype offset = entry.left(10).toLongLong();
        EXPECT_TRUE(pdf.mid(offset).startsWith(QByteArray::number(n) + " 0 obj\r"))
            << "object " << n;
    }
    EXPECT_TRUE(pdf.mid(at + 20).startsWith("trailer\r"));
    return size - 1;
}

std::vector<QList<QByteArray>> pageStrings(const QByteArray& pdf) {
    std::vector<QList<QByteArray>> pages;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream\r\nBT\r", at)) >= 0) {
        const qsizetype end = pdf.indexOf("\rET\rendstream\r", at);
        QList<QByteArray> strings;
        qsizetype t = at;
        while ((t = pdf.indexOf("T* (", t)) >= 0 && t < end) {
            const qsizetype close = pdf.indexOf("\r\n) Tj\r", t);
            strings << pdf.mid(t + 4, close - t - 4);
            t = close;
        }
        pages.push_back(strings);
        at = end;
    }
    return pages;
}

void ReportFolderTest::SetUp() {
    Desktop::setProgramFolder(dir.path());
    Clock::set(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    gIdLic = QStringLiteral("LIC9");
}

void ReportFolderTest::TearDown() {
    Desktop::setProgramFolder(QString());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace vtx::test
