// The paged text report: file naming, bytes, fields, page breaks, padding and the hand-over
// to the converter.
#include <type_traits>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Clock.h"
#include "Desktop.h"
#include "PagedTextReport.h"
#include "PdfCheck.h"
#include "ReportFolderTest.h"
#include "Session.h"
#include "TextToPdf.h"

namespace vtx::test {
namespace {

const PagedTextReport::Layout kPurchases{QStringLiteral("hstcmpins"), QStringLiteral("hstcmpins_"),
                                         12, 54, 53};
const PagedTextReport::Layout kAccounts{QStringLiteral("relcontas_"), QStringLiteral("relcontas_"),
                                        10, 54, 54};

class PagedTextReportTest : public ReportFolderTest {
protected:
    /// Writes a report of the given records and returns its lines (CR LF removed).
    QList<QByteArray> write(const PagedTextReport::Layout& layout, int filters,
                            const QList<QStringList>& records, const QStringList& closing) {
        PagedTextReport::Header header{QStringLiteral("Histórico de Compra de Insumos"),
                                       {},
                                       QStringLiteral("Emissão |Chegada")};
        for (int i = 0; i < filters; ++i)
            header.filters << QStringLiteral("Filtro %1").arg(i);
        PagedTextReport report(layout, header);
        EXPECT_TRUE(report.open());
        for (const QStringList& r : records)
            report.addRecord(r);
        EXPECT_TRUE(records.isEmpty() ? report.finishHeaderOnly() : report.finish(closing));
        bytes = readFile(gArquivoTXT);
        EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n"));
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
        EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        lines.removeLast();
        for (QByteArray& l : lines) {
            l.chop(1);
            EXPECT_LE(l.size(), PagedTextReport::kWidth);
        }
        return lines;
    }

    static QList<QStringList> records(int count, int linesEach = 1) {
        QList<QStringList> list;
        for (int i = 0; i < count; ++i) {
            QStringList r{QStringLiteral("registro %1").arg(i)};
            if (linesEach == 2)
                r << QStringLiteral("lote %1").arg(i);
            list << r;
        }
        return list;
    }

    /// Pages of the file: runs of lines separated by the form-feed lines.
    static QList<QList<QByteArray>> pages(const QList<QByteArray>& lines) {
        QList<QList<QByteArray>> result(1);
        for (const QByteArray& l : lines) {
            if (l == "\f")
                result.append(QList<QByteArray>());
            result.last() << l;
        }
        return result;
    }

    QByteArray bytes;
};

TEST_F(PagedTextReportTest, ReportWithoutRowsHoldsTheHeaderOnly) {
    const auto lines = write(kPurchases, 3, {}, {});
    const QString temp = QDir(dir.path()).filePath(QStringLiteral("temp"));
    EXPECT_EQ(gArquivoTXT, temp + QStringLiteral("/hstcmpins260304050607.txt"));
    EXPECT_EQ(gArquivoPDF, temp + QStringLiteral("/hstcmpins_260304050607.pdf"));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QByteArray(151, '_'));
    EXPECT_EQ(lines[1], "LIC9 Vertalumex 1.0 - Lic.: LIC9");
    EXPECT_EQ(lines[2], " 04/03/2026 05:06:07");
    EXPECT_EQ(lines[3], "Hist\xF3rico de Compra de Insumos");
    EXPECT_EQ(lines[4], "Filtro 0");
    EXPECT_EQ(lines[7], QByteArray(151, '='));
    EXPECT_EQ(lines[8], "Emiss\xE3o |Chegada");
    EXPECT_EQ(lines[9], QByteArray(151, '='));
}

TEST_F(PagedTextReportTest, PurchaseHistoryPages) {
    // 42 one-line records fill one page: header, records, totals, footer.
    auto lines = write(kPurchases, 3, records(42), {QStringLiteral("Total")});
    ASSERT_EQ(lines.size(), 55);
    EXPECT_EQ(lines[52], "Total");
    EXPECT_EQ(lines[53], QByteArray(151, '_'));
    EXPECT_FALSE(lines[54].isEmpty());

    // The 43rd starts a new page: footer, a form-feed line of its own, the header again.
    lines = write(kPurchases, 3, records(43), {QStringLiteral("Total")});
    const auto p = pages(lines);
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].size(), 54);
    EXPECT_EQ(p[1].size(), 55);
    EXPECT_EQ(p[0][52], QByteArray(151, '_'));
    EXPECT_EQ(p[0][53], p[1].last());
    EXPECT_EQ(p[1][0], "\f");
    EXPECT_EQ(p[1].mid(1, 9), p[0].mid(1, 9));
    EXPECT_EQ(p[1][10], "registro 42");
    EXPECT_TRUE(p[1][11].isEmpty());
    EXPECT_TRUE(p[1][51].isEmpty());
    EXPECT_EQ(p[1][52], "Total");
}

TEST_F(PagedTextReportTest, RecordsAreNeverSplitAcrossPages) {
    // 41 lines then a two-line record: the counter goes from 53 to 55, no padding follows.
    QList<QStringList> list = records(41);
    list << QStringList{QStringLiteral("ultimo"), QStringLiteral("lote")};
    auto lines = write(kPurchases, 3, list, {QStringLiteral("Total")});
    EXPECT_EQ(lines.size(), 56);
    EXPECT_EQ(lines[51], "ultimo");
    EXPECT_EQ(lines[52], "lote");
    EXPECT_EQ(lines[53], "Total");

    list << QStringList{QStringLiteral("seguinte")};
    const auto p = pages(write(kPurchases, 3, list, {}));
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].size(), 55);
    EXPECT_EQ(p[1][10], "seguinte");

    // 21 records with lots fill a page; the 22nd goes on the next one.
    EXPECT_EQ(pages(write(kPurchases, 3, records(21, 2), {})).size(), 1);
    EXPECT_EQ(pages(write(kPurchases, 3, records(22, 2), {})).size(), 2);
}

TEST_F(PagedTextReportTest, AccountsReportPages) {
    auto lines = write(kAccounts, 2, records(44), {});
    ASSERT_EQ(lines.size(), 56);
    EXPECT_TRUE(lines[53].isEmpty());
    EXPECT_EQ(lines[54], QByteArray(151, '_'));

    const auto p = pages(write(kAccounts, 2, records(45), {}));
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].size(), 55);
    EXPECT_EQ(p[1].size(), 56);
    EXPECT_EQ(p[1][9], "registro 44");
}

TEST_F(PagedTextReportTest, FieldsArePaddedCutAndCannotBreakTheLayout) {
    EXPECT_EQ(fitField(QStringLiteral("Serie"), {3, ReportField::Left}), QStringLiteral("Ser"));
    EXPECT_EQ(fitField(QStringLiteral("12"), {5, ReportField::Right}), QStringLiteral("   12"));
    EXPECT_EQ(fitField(QStringLiteral("ab"), {4, ReportField::Left}), QStringLiteral("ab  "));
    EXPECT_EQ(fitField(QStringLiteral("a|b\fc\r\nd"), {8, ReportField::Left}),
              QStringLiteral("a b c  d"));
    const std::vector<ReportField> fields{{4, ReportField::Left}, {3, ReportField::Right}, {2}};
    EXPECT_EQ(joinFields({QStringLiteral("x|y"), QStringLiteral("7")}, fields),
              QStringLiteral("x y |  7|  "));

    const QString value = QStringLiteral("linha\fquebrada\r\n|");
    // Windows-1252 beyond Latin-1; the characters it lacks, C1 controls among them, print as "?".
    const auto lines = write(kPurchases, 3,
                             {{joinFields({value}, {{30}}), QString(200, 'w')},
                              {QStringLiteral("Ação – “x” € Ω")},
                              {QStringLiteral("nº \u0081\u0085")}},
                             {QStringLiteral("fim\ncom quebra")});
    EXPECT_EQ(lines.size(), 55);
    EXPECT_EQ(lines[10], QByteArray("linha quebrada").leftJustified(30));
    EXPECT_EQ(lines[11], QByteArray(151, 'w'));
    EXPECT_EQ(lines[12], QByteArray("A\xE7\xE3o \x96 \x93x\x94 \x80 ?"));
    EXPECT_EQ(lines[13], QByteArray("n\xBA \x81?"));
    EXPECT_EQ(lines[52], "fim com quebra");
    EXPECT_EQ(bytes.count('\f'), 0);
}

TEST(ReportLines, ALineTakenNoLongerChangesAndItsFieldsMustOutliveIt) {
    static_assert(!std::is_constructible_v<ReportLine, std::vector<ReportField>>);
    const std::vector<ReportField> fields{{3}, {2, ReportField::Right}, {2}};
    ReportLine line(fields);
    line << u"ab" << u"7";
    const QString taken = line.take();
    line << u"x";
    EXPECT_EQ(taken, QStringLiteral("ab | 7   "));
    EXPECT_TRUE(line.take().isEmpty());
}

TEST_F(PagedTextReportTest, AReportThatCannotBeWrittenWhollyIsNotLeftBehind) {
    PagedTextReport report(kPurchases, {QStringLiteral("Título"), {}, QStringLiteral("Col")});
    ASSERT_TRUE(report.open());
    {
        const FileSizeLimit limit(4000);
        for (int i = 0; i < 200; ++i)
            report.addRecord(
                {QStringLiteral("registro %1").arg(i).leftJustified(150, QLatin1Char('.'))});
        EXPECT_FALSE(report.finish({}));
    }
    EXPECT_FALSE(report.errorString().isEmpty());
    EXPECT_FALSE(QFile::exists(gArquivoTXT));
}

TEST_F(PagedTextReportTest, ConvertedReportHasOnePdfPagePerReportPage) {
    QList<QStringList> list;
    for (int i = 0; i < 100; ++i)
        list << QStringList{joinFields(
            {QStringLiteral("Açúcar (cristal) \\ %1").arg(i), QStringLiteral("(1.234,56)")},
            {{119}, {31, ReportField::Right}})}; // full width: 119 + "|" + 31
    const auto lines = write(kPurchases, 3, list, {QStringLiteral("Total")});
    const int formFeeds = int(bytes.count('\f'));
    EXPECT_EQ(formFeeds, 2);
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("r.pdf"));
    ASSERT_TRUE(TextToPdf::convert(gArquivoTXT, pdf, {}).ok());
    EXPECT_EQ(expectValidPdf(pdf).pages, formFeeds + 1);
    EXPECT_TRUE(pageText(pdf, 2).contains(QStringLiteral("Açúcar (cristal) \\ 50")));
}

} // namespace
} // namespace vtx::test
