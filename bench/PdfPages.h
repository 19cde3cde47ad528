// The pages of a PDF as pdfinfo counts them, and the words of one page as pdftotext reads
// them, to check a benchmark's output.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

/// The page count pdfinfo gives for the file; -1 when it gives none.
inline int pdfPages(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(-1);
    for (const QByteArray& line : info.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

/// The words of one page (1 the first) as pdftotext reads them; none when it reads nothing.
inline QStringList pdfPageWords(const QString& pdf, int page) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                QString::number(page), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
                QStringLiteral("-")});
    text.waitForFinished(-1);
    return QString::fromUtf8(text.readAllStandardOutput())
        .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

/// Whether a page shows the line: its characters other than blanks, in order, within the
/// page's (pdftotext may join the words of two lines, or part them elsewhere).
inline bool pageHoldsLine(const QStringList& pageWords, const QString& line) {
    const QString shown =
        line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).join(QString());
    return !shown.isEmpty() && pageWords.join(QString()).contains(shown);
}

/// Whether two PDFs of the same page count show the same words on their first and last pages.
inline bool sameFirstAndLastWords(const QString& a, const QString& b, int pages) {
    for (int page : {1, pages}) {
        const QStringList wordsA = pdfPageWords(a, page);
        if (wordsA.isEmpty() || wordsA != pdfPageWords(b, page))
            return false;
    }
    return true;
}
