// Shared fixture of the PDF writer tests: a temporary folder, the standard fonts and a writer
// set up the way the printouts set it up.
#pragma once

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "PDFPrinter.h"
#include "PdfCheck.h"
#include "ScriptedPrompter.h"

namespace vtx::test {

class PdfTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("doc.pdf")) const {
        return tmp.filePath(name);
    }
    static QString fontsDir() {
        return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fonts"));
    }

    /// Points, A4, zoom 1, layout 3, outlines and thumbs, preferences 6, line style 0 and width
    /// 0.5, begun, with the two bookmarks of the printouts.
    std::unique_ptr<PDFPrinter> open(const QString& target, long orientation = 1) {
        auto p = std::make_unique<PDFPrinter>();
        p->PDFFileName(target);
        p->PDFLoadAfm(fontsDir());
        p->PDFConfirm(false);
        p->PDFView(true);
        p->PDFSetViewerPreferences(6);
        p->PDFFormatPage(0);
        p->PDFOrientation(orientation);
        p->PDFSetUnit(0);
        p->PDFSetZoomMode(1);
        p->PDFSetLayoutMode(3);
        p->PDFUseOutlines(true);
        p->PDFUseThumbs(true);
        p->PDFBeginDoc();
        p->PDFSetLineStyle(0);
        p->PDFSetLineWidth(0.5);
        p->PDFSetBookmark(QStringLiteral("Agenda"), 0, 40);
        p->PDFSetBookmark(QStringLiteral("Agenda"), 1, 60);
        return p;
    }

    /// Points on an A4 page left unrounded (height 841.89), begun.
    std::unique_ptr<PDFPrinter> plain() {
        auto p = std::make_unique<PDFPrinter>();
        p->PDFFileName(path());
        p->PDFLoadAfm(fontsDir());
        p->PDFSetUnit(0);
        p->PDFBeginDoc();
        p->PDFSetLineStyle(0);
        p->PDFSetLineWidth(0.5);
        return p;
    }

    /// Ends the document, checks it with the tools and keeps its bytes in `file`.
    void finish(PDFPrinter& p, const QString& name = QStringLiteral("doc.pdf")) {
        p.PDFEndPage();
        p.PDFEndDoc();
        expectValidPdf(path(name));
        file = readFile(path(name));
    }

    /// The content stream of page k (1-based) of `file`.
    QByteArray content(int page = 1) const { return streamData(file, 2 * page); }
    QByteArray object(int number) const { return pdfObject(file, number); }

    QTemporaryDir tmp;
    QByteArray file;
};

/// The lines of a content stream, without their CR LF.
inline QList<QByteArray> lines(const QByteArray& stream) {
    QList<QByteArray> out = stream.split('\n');
    for (QByteArray& l : out)
        if (l.endsWith('\r'))
            l.chop(1);
    if (!out.isEmpty() && out.back().isEmpty())
        out.removeLast();
    return out;
}

/// A JPEG of w x h pixels with 1, 3 or 4 components, with a JFIF header unless components is 4.
QByteArray makeJpeg(int width, int height, int components);

} // namespace vtx::test
