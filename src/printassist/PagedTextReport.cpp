// Paged text report: fields, header, page breaks by line counter, padding and footer.
#include "PagedTextReport.h"

#include <algorithm>

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

// Room for a whole line of fields, so that joining them allocates once.
constexpr qsizetype kLineReserve = PagedTextReport::kWidth + 1;

QString rule(char c) {
    return QString(PagedTextReport::kWidth, QLatin1Char(c));
}

QString stampedPath(const QString& folder, const QString& stem, const QString& extension) {
    return QDir(folder).filePath(stem + Clock::now().toString(QStringLiteral("yyMMddHHmmss")) +
                                 extension);
}

} // namespace

// Characters that would break a page, a line or a spreadsheet column become blanks.
void appendField(QString& line, QStringView value, const ReportField& field) {
    const qsizetype width = std::max(field.width, 0);
    const qsizetype shown = std::min(value.size(), width);
    const qsizetype start = line.size();
    line.resize(start + width, QLatin1Char(' '));
    QChar* to = line.data() + start + (field.align == ReportField::Left ? 0 : width - shown);
    for (qsizetype i = 0; i < shown; ++i) {
        const QChar c = value[i];
        to[i] = c == QLatin1Char('\f') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
                        c == QLatin1Char('|')
                    ? QLatin1Char(' ')
                    : c;
    }
}

QString fitField(const QString& value, const ReportField& field) {
    QString text;
    appendField(text, value, field);
    return text;
}

QString joinFields(const QStringList& values, const std::vector<ReportField>& fields) {
    QString line;
    line.reserve(kLineReserve);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char('|');
        appendField(line, i < size_t(values.size()) ? QStringView(values[int(i)]) : QStringView(),
                    fields[i]);
    }
    return line;
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
    const qsizetype shown = std::min<qsizetype>(text.size(), kWidth);
    m_line.resize(shown + 2);
    char* bytes = m_line.data();
    Cp1252::encode(QStringView(text).left(shown), bytes);
    // A form feed or line end is the same byte in Windows-1252: it becomes a blank.
    for (qsizetype i = 0; i < shown; ++i)
        if (bytes[i] == '\f' || bytes[i] == '\r' || bytes[i] == '\n')
            bytes[i] = ' ';
    bytes[shown] = '\r';
    bytes[shown + 1] = '\n';
    if (m_file.write(m_line) != m_line.size())
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
