// Checks a produced PDF with qpdf and poppler, and reads its objects through its own xref table.
#pragma once

#include <string>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vtx::test {

/// What the tools say of one PDF file.
struct PdfCheck {
    int qpdfExit = -1;
    QString qpdfOutput;
    QString rasterErrors; // pdftoppm's standard error
    QString version;      // pdfinfo "PDF version"
    int pages = 0;        // pdfinfo "Pages"
    QString pageSize;     // pdfinfo "Page size", e.g. "595 x 842 pts (A4)"
    QString xrefProblem;  // empty when every offset lands on its object

    QStringList problems() const;
    bool ok() const { return problems().isEmpty(); }
    /// The problems, one a line (for a test's failure message).
    std::string describe() const;
};

/// qpdf --check exits 0, pdftoppm writes nothing to standard error, pdfinfo answers, and every
/// xref entry lands on "k 0 obj" and startxref on "xref".
PdfCheck checkPdf(const QString& path);

/// The output of a program; its standard error and exit code when asked for.
QString runTool(const QString& program, const QStringList& args, QString* errors = nullptr,
                int* exitCode = nullptr);

/// Empty when every in-use xref entry points at its "k 0 obj" line and startxref at "xref".
QString xrefProblem(const QByteArray& file);
/// The offset of object k from the xref table, or -1.
qsizetype objectOffset(const QByteArray& file, int number);
/// Object k from its "k 0 obj" line to its "endobj" line included (for a stream, the whole
/// stream), or empty.
QByteArray pdfObject(const QByteArray& file, int number);
/// The data of the stream object k, between "stream" CR LF and "endstream".
QByteArray streamData(const QByteArray& file, int number);

QByteArray readFile(const QString& path);

} // namespace vtx::test
