// Checks a produced PDF with qpdf and poppler, and reads its objects through its own xref table.
#pragma once

#include <string>
#include <vector>

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace vtx::test {

/// What the tools say of one PDF file.
struct PdfCheck {
    int qpdfExit = -1;
    QString qpdfOutput;
    int rasterExit = -1;
    QString rasterErrors;        // pdftoppm's standard error
    QMap<QString, QString> info; // every "key: value" line of pdfinfo
    QString version;             // pdfinfo "PDF version"
    int pages = 0;               // pdfinfo "Pages"
    QString pageSize;            // pdfinfo "Page size", e.g. "595 x 842 pts (A4)"
    QString xrefProblem;         // empty when every offset lands on its object

    QStringList problems() const;
    bool ok() const { return problems().isEmpty(); }
    /// The problems, one a line (for a test's failure message).
    std::string describe() const;
};

/// qpdf --check exits 0, pdftoppm renders (the first `renderPages` pages, 0 for all) without a
/// word on standard error, pdfinfo answers, and the cross-reference table is sound (xrefProblem).
PdfCheck checkPdf(const QString& path, int renderPages = 0);

/// checkPdf, failing the current test when the file has a problem.
inline PdfCheck expectValidPdf(const QString& path, int renderPages = 0) {
    PdfCheck check = checkPdf(path, renderPages);
    EXPECT_TRUE(check.ok()) << path.toStdString() << ":\n" << check.describe();
    return check;
}

/// The output of a program; its standard error and exit code when asked for.
QString runTool(const QString& program, const QStringList& args, QString* errors = nullptr,
                int* exitCode = nullptr);

/// The text of one page (1-based) as pdftotext gives it, in UTF-8.
QString pageText(const QString& path, int page);

/// Empty when the table is sound: startxref lands on "xref", entry 0 is the free head, every
/// other entry is 20 bytes, in use, generation 0, and lands on its "k 0 obj" line, and "trailer"
/// follows the table. Lines may end with CR, LF or CR LF.
QString xrefProblem(const QByteArray& file);
/// The number of objects the xref table lists (its size less the free entry 0), or -1.
int xrefObjects(const QByteArray& file);
/// The offset of object k from the xref table, or -1.
qsizetype objectOffset(const QByteArray& file, int number);
/// Object k from its "k 0 obj" line to its "endobj" line included (for a stream, the whole
/// stream), or empty. For files whose lines end with CR LF.
QByteArray pdfObject(const QByteArray& file, int number);
/// The data of the stream object k, between "stream" CR LF and "endstream".
QByteArray streamData(const QByteArray& file, int number);

/// The shown strings of each page of a print assistant PDF ("T* (...) Tj" lines), escapes
/// kept, their closing CR LF removed.
std::vector<QList<QByteArray>> pageStrings(const QByteArray& pdf);

/// A word of a page as pdftotext places it, in points from the top-left corner.
struct WordBox {
    QString text;
    double xMin, yMin, xMax, yMax;
};
/// The words of one page (1-based), in reading order.
QList<WordBox> pageWords(const QString& path, int page = 1);

QByteArray readFile(const QString& path);
bool writeBytes(const QString& path, const QByteArray& bytes);

} // namespace vtx::test
