// The pages of a PDF as pdfinfo counts them, to check a benchmark's output.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

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
