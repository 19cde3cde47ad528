// The spreadsheet export: every field in the column of its position, rules empty, cells text.
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Cp1252.h"
#include "PdfCheck.h"
#include "SpreadsheetExport.h"

namespace vtx::test {
namespace {

/// Cell texts of the first sheet by reference ("B2"), and the style of each written cell.
struct Sheet {
    QMap<QString, QString> text;
    QMap<QString, int> style;
    QString stylesXml;
};

QString unzipped(const QString& book, const QString& member) {
    return runTool(QStringLiteral("unzip"), {QStringLiteral("-p"), book, member});
}

Sheet readSheet(const QString& book) {
    QStringList strings;
    static const QRegularExpression si(QStringLiteral("<si><t[^>]*>(.*?)</t></si>"));
    for (const auto& m : si.globalMatch(unzipped(book, QStringLiteral("xl/sharedStrings.xml"))))
        strings << m.captured(1);
    Sheet sheet;
    static const QRegularExpression cell(
        QStringLiteral("<c r=\"([A-Z]+\\d+)\" s=\"(\\d+)\"( t=\"s\")?(/>|><v>(\\d+)</v></c>)"));
    for (const auto& m :
         cell.globalMatch(unzipped(book, QStringLiteral("xl/worksheets/sheet1.xml")))) {
        sheet.style[m.captured(1)] = m.captured(2).toInt();
        sheet.text[m.captured(1)] =
            m.captured(3).isEmpty() ? QString() : strings[m.captured(5).toInt()];
    }
    sheet.stylesXml = unzipped(book, QStringLiteral("xl/styles.xml"));
    return sheet;
}

class SpreadsheetExportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString text = dir.filePath(QStringLiteral("r.txt"));
    QString book = dir.filePath(QStringLiteral("r.xlsx"));
};

TEST_F(SpreadsheetExportTest, FieldsLandInTheirColumnsAsText) {
    ASSERT_TRUE(writeBytes(
        text, Cp1252::encode(QStringLiteral("___\r\n"
                                            "  Relatório de Contas  \r\n"
                                            "=====|=====\r\n"
                                            " 01/02/26 |  0012|Ação & <Cia>|  1.234,50 \r\n"
                                            "|segunda| |===x\r\n"
                                            "\f\r\n"))));
    ASSERT_EQ(SpreadsheetExport::exportReport(text, book), std::nullopt);
    const Sheet sheet = readSheet(book);
    EXPECT_EQ(sheet.text.value(QStringLiteral("A1")), QStringLiteral("___"));
    EXPECT_EQ(sheet.text.value(QStringLiteral("A2")), QStringLiteral("Relatório de Contas"));
    EXPECT_FALSE(sheet.text.contains(QStringLiteral("A3")));
    EXPECT_FALSE(sheet.text.contains(QStringLiteral("B3")));
    EXPECT_EQ(sheet.text.value(QStringLiteral("A4")), QStringLiteral("01/02/26"));
    EXPECT_EQ(sheet.text.value(QStringLiteral("B4")), QStringLiteral("0012"));
    EXPECT_EQ(sheet.text.value(QStringLiteral("C4")), QStringLiteral("Ação &amp; &lt;Cia&gt;"));
    EXPECT_EQ(sheet.text.value(QStringLiteral("D4")), QStringLiteral("1.234,50"));
    // A line starting with "|" leaves column A empty; a "===" field is no cell at all.
    EXPECT_EQ(sheet.text.value(QStringLiteral("A5"), QStringLiteral("none")), QString());
    EXPECT_EQ(sheet.text.value(QStringLiteral("B5")), QStringLiteral("segunda"));
    EXPECT_FALSE(sheet.text.contains(QStringLiteral("D5")));
    EXPECT_TRUE(sheet.text.contains(QStringLiteral("A6")));
    EXPECT_FALSE(sheet.text.contains(QStringLiteral("A7")));
    // Every written cell carries the text number format (built-in format 49).
    const int textStyle = sheet.style.value(QStringLiteral("B4"));
    for (auto it = sheet.style.cbegin(); it != sheet.style.cend(); ++it)
        EXPECT_EQ(it.value(), textStyle) << it.key().toStdString();
    const QRegularExpression xfs(QStringLiteral("<cellXfs[^>]*>(.*?)</cellXfs>"),
                                 QRegularExpression::DotMatchesEverythingOption);
    const QStringList xf =
        xfs.match(sheet.stylesXml).captured(1).split(QStringLiteral("<xf "), Qt::SkipEmptyParts);
    ASSERT_GT(xf.size(), textStyle);
    EXPECT_TRUE(xf[textStyle].contains(QStringLiteral("numFmtId=\"49\"")));
    // Widths follow the longest field.
    EXPECT_TRUE(unzipped(book, QStringLiteral("xl/worksheets/sheet1.xml"))
                    .contains(QStringLiteral("<col min=\"1\" max=\"1\" width=")));
}

TEST_F(SpreadsheetExportTest, FailuresAreDescribed) {
    EXPECT_NE(SpreadsheetExport::exportReport(dir.filePath(QStringLiteral("none.txt")), book),
              std::nullopt);
    ASSERT_TRUE(writeBytes(text, "a|b\r\n"));
    const auto error =
        SpreadsheetExport::exportReport(text, dir.filePath(QStringLiteral("no/dir/r.xlsx")));
    ASSERT_NE(error, std::nullopt);
    EXPECT_FALSE(error->isEmpty());
    EXPECT_TRUE(QFile::exists(text));
    // A workbook that cannot be written to a device leaves the device in place.
    const QString device = dir.filePath(QStringLiteral("device.xlsx"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), device));
    EXPECT_NE(SpreadsheetExport::exportReport(text, device), std::nullopt);
    EXPECT_TRUE(QFileInfo(device).isSymLink());
    EXPECT_EQ(SpreadsheetExport::workbookPath(QStringLiteral("/t/rel")),
              QStringLiteral("/t/rel.xlsx"));
    EXPECT_EQ(SpreadsheetExport::workbookPath(QStringLiteral("/t/rel.XLSX")),
              QStringLiteral("/t/rel.XLSX"));
}

} // namespace
} // namespace vtx::test
