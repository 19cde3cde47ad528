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
    if (rasterExit != 0 || !rasterErrors.isEmpty())
        p << QStringLiteral("pdftoppm exit %1: %2").arg(rasterExit).arg(rasterErrors);
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
        *errors = QString::fromUtf8(p.readAllStandardError());
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pageText(const QString& path, int page) {
    const QString n = QString::number(page);
    return runTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"), n,
                    QStringLiteral("-l"), n, path, QStringLiteral("-")});
}

QList<WordBox> pageWords(const QString& path, int page) {
    const QString n = QString::number(page);
    const QString html =
        runTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                 QStringLiteral("-f"), n, QStringLiteral("-l"), n, path, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" xMax=\"([-\\d.]+)\" "
                       "yMax=\"([-\\d.]+)\">([^<]*)</word>"));
    QList<WordBox> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

namespace {

struct Xref {
    QList<qsizetype> offsets; // index = object number; entry 0 is the free head
};

/// The byte at p, or 0 past the end.
char byteAt(const QByteArray& file, qsizetype p) {
    return p >= 0 && p < file.size() ? file[p] : '\0';
}

bool isEol(char c) {
    return c == '\r' || c == '\n';
}

/// The position after the line end that follows p (CR, LF or CR LF), or -1.
qsizetype nextLine(const QByteArray& file, qsizetype p) {
    while (p < file.size() && !isEol(file[p]))
        ++p;
    if (p >= file.size())
        return -1;
    return file.mid(p, 2) == "\r\n" ? p + 2 : p + 1;
}

bool digits(const QByteArray& s) {
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return !s.isEmpty();
}

/// One 20-byte entry: "oooooooooo ggggg n" and a two-byte line end.
bool entryOk(const QByteArray& e, char kind, const char* generation) {
    const QByteArray end = e.right(2);
    return e.size() == 20 && digits(e.left(10)) && e[10] == ' ' && e.mid(11, 5) == generation &&
           e[16] == ' ' && e[17] == kind && (end == " \r" || end == " \n" || end == "\r\n");
}

Xref readXref(const QByteArray& file, QString* problem) {
    Xref x;
    const auto fail = [&](const QString& why) {
        *problem = why;
        return Xref{};
    };
    const qsizetype at = file.lastIndexOf("startxref");
    if (at < 0)
        return fail(QStringLiteral("no startxref"));
    const qsizetype valueAt = nextLine(file, at);
    const qsizetype valueEnd = valueAt < 0 ? -1 : nextLine(file, valueAt);
    const QByteArray value = valueEnd < 0 ? QByteArray() : file.mid(valueAt, valueEnd - valueAt);
    const qsizetype start = value.trimmed().toLongLong();
    if (!digits(value.trimmed()) || !file.mid(start).startsWith("xref") ||
        !isEol(byteAt(file, start + 4)))
        return fail(QStringLiteral("startxref does not land on xref"));
    qsizetype p = nextLine(file, start);
    const qsizetype eol = nextLine(file, p);
    const QList<QByteArray> head = file.mid(p, eol - p).trimmed().split(' ');
    if (eol < 0 || head.size() != 2 || head[0] != "0" || head[1].toInt() < 1)
        return fail(QStringLiteral("the xref subsection is not \"0 <size>\""));
    const int count = head[1].toInt();
    p = eol;
    if (!entryOk(file.mid(p, 20), 'f', "65535") || !file.mid(p).startsWith("0000000000"))
        return fail(QStringLiteral("xref entry 0 is not the free head"));
    x.offsets << -1;
    for (int k = 1; k < count; ++k) {
        p += 20;
        const QByteArray entry = file.mid(p, 20);
        if (!entryOk(entry, 'n', "00000"))
            return fail(QStringLiteral("xref entry %1 is not a 20-byte entry in use: \"%2\"")
                            .arg(k)
                            .arg(QString::fromLatin1(entry)));
        x.offsets << entry.left(10).toLongLong();
    }
    if (!file.mid(p + 20).startsWith("trailer"))
        return fail(QStringLiteral("no trailer after the xref table"));
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
        if (file.mid(x.offsets[k], head.size()) != head ||
            !isEol(byteAt(file, x.offsets[k] + head.size())))
            return QStringLiteral("object %1 is not at %2").arg(k).arg(x.offsets[k]);
    }
    return {};
}

int xrefObjects(const QByteArray& file) {
    QString problem;
    const Xref x = readXref(file, &problem);
    return problem.isEmpty() ? static_cast<int>(x.offsets.size()) - 1 : -1;
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

PdfCheck checkPdf(const QString& path, int renderPages) {
    PdfCheck c;
    c.qpdfOutput =
        runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}, nullptr, &c.qpdfExit);
    QTemporaryDir dir;
    QStringList raster{QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png")};
    if (renderPages > 0)
        raster << QStringLiteral("-l") << QString::number(renderPages);
    raster << path << dir.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"), raster, &c.rasterErrors, &c.rasterExit);
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0)
            c.info[line.left(colon)] = line.mid(colon + 1).trimmed();
    }
    c.version = c.info.value(QStringLiteral("PDF version"));
    c.pages = c.info.value(QStringLiteral("Pages")).toInt();
    c.pageSize = c.info.value(QStringLiteral("Page size"));
    c.xrefProblem = xrefProblem(readFile(path));
    return c;
}

} // namespace vtx::test
