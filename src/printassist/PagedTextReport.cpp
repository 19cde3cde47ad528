// Paged text report: fields, header, page breaks by line counter, padding and footer.
#include "PagedTextReport.h"

#include <QDir>

#include "Clock.h"
#include "Cp1252.h"
#include "Desktop.h"
#include "Formats.h"
#include "PartialFile.h"
#include "Session.h"

namespace vtx {

namespace {

const QString kAddress = QStringLiteral("www.morvisca.com.br");

/// Characters that would break a page, a line or a spreadsheet column become blanks.
QString withoutBreaks(QString text, bool bar) {
    for (QChar& c : text)
        if (c == QLatin1Char('\f') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
            (bar && c == QLatin1Char('|')))
            c = QLatin1Char(' ');
    return text;
}

QString rule(char c) {
    return QString(PagedTextReport::kWidth, QLatin1Char(c));
}

QString stampedPath(const QString& folder, const QString& stem, const QString& extension) {
    return QDir(folder).filePath(stem + Clock::now().toString(QStringLiteral("yyMMddHHmmss")) +
                                 extension);
}

} // namespace

QString fitField(const QString& value, const ReportField& field) {
    const QString text = withoutBreaks(value, /*bar=*/true).left(field.width);
    return field.align == ReportField::Left ? text.leftJustified(field.width)
                                            : text.rightJustified(field.width);
}

QString joinFields(const QStringList& values, const std::vector<ReportField>& fields) {
    QStringList parts;
    for (size_t i = 0; i < fields.size(); ++i)
        parts << fitField(i < size_t(values.size()) ? values[int(i)] : QString(), fields[i]);
    return parts.join(QLatin1Char('|'));
}

PagedTextReport::PagedTextReport(Layout layout, Header header)
    : m_layout(std::move(layout)), m_header(std::move(header)) {}

bool PagedTextReport::open() {
    const QString folder = Desktop::programFile(QStringLiteral("temp"));
    QDir().mkpath(folder);
    gArquivoTXT = stampedPath(folder, m_layout.textStem, QStringLiteral(".txt"));
    gArquivoPDF = stampedPath(folder, m_layout.pdfStem, QStringLiteral(".pdf"));
    m_file.setFileName(gArquivoTXT);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail();
        return false;
    }
    writeLine(rule('_'));
    writeHeader();
    return !m_failed;
}

void PagedTextReport::addRecord(const QStringList& lines) {
    if (m_counter >= m_layout.pageBreakAt) {
        writeFooter();
        if (m_file.write("\f\r\n") != 3)
            fail();
        writeHeader();
    }
    for (const QString& line : lines) {
        writeLine(line);
        ++m_counter;
    }
}

bool PagedTextReport::finish(const QStringList& closingLines) {
    for (int v = m_counter; v <= m_layout.lastEmptyLine; ++v)
        writeLine(QString());
    for (const QString& line : closingLines)
        writeLine(line);
    writeFooter();
    return close();
}

bool PagedTextReport::finishHeaderOnly() {
    return close();
}

void PagedTextReport::writeLine(const QString& text) {
    QByteArray bytes = Cp1252::encode(withoutBreaks(text, /*bar=*/false).left(kWidth));
    bytes += "\r\n";
    if (m_file.write(bytes) != bytes.size())
        fail();
}

void PagedTextReport::writeHeader() {
    ++m_pages;
    writeLine(gIdLic + QLatin1Char(' ') + mainCaption());
    writeLine(QLatin1Char(' ') + Formats::dateTimeText(Clock::now()));
    writeLine(m_header.title);
    for (const QString& filter : m_header.filters)
        writeLine(filter);
    writeLine(rule('='));
    writeLine(m_header.heading);
    writeLine(rule('='));
    m_counter = m_layout.counterAfterHeader;
}

void PagedTextReport::writeFooter() {
    writeLine(rule('_'));
    writeLine(kAddress);
}

void PagedTextReport::fail() {
    // Closing the file forgets its error: the first one is kept for the report's caller.
    if (!m_failed)
        m_error = m_file.errorString();
    m_failed = true;
}

bool PagedTextReport::close() {
    const bool opened = m_file.isOpen();
    if (!m_file.flush())
        fail();
    m_file.close();
    // A report written only in part is removed, so that nothing takes it for the whole one.
    if (m_failed && opened)
        removePartialFile(m_file.fileName());
    return !m_failed;
}

} // namespace vtx
