// Checks of written PDF files with the poppler tools and qpdf, and a reader of the print
// assistant's own content streams.
#pragma once

#include <vector>

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtx::test {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QString& program, const QStringList& args);

/// qpdf --check exits 0 and pdftoppm renders without a word on stderr; fails the test
/// otherwise. Returns the "key: value" lines of pdfinfo.
QMap<QString, QString> checkPdf(const QString& path);

/// The text of one page (1-based) as pdftotext gives it.
QString pageText(const QString& path, int page);

/// Checks the cross-reference table byte by byte: every entry 20 bytes and pointing at
/// "<n> 0 obj", startxref pointing at "xref". Returns the number of objects.
int checkXref(const QByteArray& pdf);

/// The shown strings of each page's content stream, escapes kept, line end removed.
std::vector<QList<QByteArray>> pageStrings(const QByteArray& pdf);

/// Tests that write reports: the program folder is a fresh temporary one, the clock is fixed
/// at 04/03/2026 05:06:07 and the installation key is "LIC9".
class ReportFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QTemporaryDir dir;
};

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace vtx::test
