// The print assistant form: controls, the conversion at first show, the buttons, the dialogs
// and the messages.
#include <deque>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Clock.h"
#include "Desktop.h"
#include "FileDialogs.h"
#include "Forms.h"
#include "Modal.h"
#include "PagedTextReport.h"
#include "PdfCheck.h"
#include "PrintForms.h"
#include "ReportFolderTest.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "TextToPdf.h"
#include "frmgerapdfp.h"

namespace vtx::test {
namespace {

class frmgerapdfpTest : public ReportFolderTest {
protected:
    void SetUp() override {
        ReportFolderTest::SetUp();
        PagedTextReport report(
            {QStringLiteral("hstcmpins"), QStringLiteral("hstcmpins_"), 12, 54, 53},
            {QStringLiteral("Histórico de Compra de Insumos"), {}, QString()});
        ASSERT_TRUE(report.open());
        report.addRecord({QStringLiteral("Açúcar (cristal) | 10,00")});
        ASSERT_TRUE(report.finish({}));
        Desktop::setHooks({[](const QString&) { return true; },
                           [this](const QString& p) {
                               opened << p;
                               return true;
                           },
                           [] {}});
        FileDialogs::setHook([this](const FileDialogs::Request& r) {
            requests.push_back(r);
            const QString answer = dialogAnswers.empty() ? QString() : dialogAnswers.front();
            if (!dialogAnswers.empty())
                dialogAnswers.pop_front();
            return answer;
        });
        setModalDriver([this](QDialog* form) {
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            stayedOpen = form->isVisible();
        });
    }
    void TearDown() override {
        FileDialogs::setHook({});
        ReportFolderTest::TearDown();
    }

    template <typename T> static T* control(QWidget* form, const char* name) {
        T* c = form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void click(QWidget* form, const char* name) {
        control<QPushButton>(form, name)->click();
    }

    QStringList opened;
    std::vector<FileDialogs::Request> requests;
    std::deque<QString> dialogAnswers;
    bool stayedOpen = false;
};

TEST_F(frmgerapdfpTest, ControlsCaptionsAndStart) {
    frmgerapdfp form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Assistente de impressão"));
    const std::pair<const char*, const char*> labels[] = {{"lblCaption", "Assistente de Impressão"},
                                                          {"lblFilename", "Arq. Entrada:"},
                                                          {"lblOutputFile", "Arq. Saída :"},
                                                          {"lblTitle", "Titulo:"},
                                                          {"lblSubject", "Assunto:"},
                                                          {"lblKeyword", "Palavras Chave:"},
                                                          {"lblCreator", "Autor:"},
                                                          {"lblAuthor", "Nome"}};
    for (const auto& [name, text] : labels)
        EXPECT_EQ(control<QLabel>(&form, name)->text(), QString::fromUtf8(text));
    const std::pair<const char*, const char*> buttons[] = {
        {"btnOpen", "&Procurar."}, {"btnSave", "&Procurar."},    {"btnConvert", "Imprimir"},
        {"btnClose", "Cancelar"},  {"Command1", "Enviar email"}, {"Command2", "Exporta Excel"}};
    for (const auto& [name, text] : buttons)
        EXPECT_EQ(control<QPushButton>(&form, name)->text(), QString::fromUtf8(text));
    auto items = [&](const char* name) {
        QStringList list;
        auto* c = control<QComboBox>(&form, name);
        for (int i = 0; i < c->count(); ++i)
            list << c->itemText(i);
        return list;
    };
    EXPECT_EQ(items("cmbFont"), (QStringList{"Courier", "Courier New"}));
    EXPECT_EQ(items("cmbFontSize"),
              (QStringList{"10pt", "08pt", "12pt", "14pt", "16pt", "18pt", "20pt"}));
    EXPECT_EQ(items("cmbPageSize"), (QStringList{"8.5\" x 11\"", "8.5\" x 14\"", "14\" x 11\""}));
    EXPECT_EQ(items("cmbRotation"),
              (QStringList{QStringLiteral("0\u00BA"), QStringLiteral("90\u00BA"),
                           QStringLiteral("180\u00BA"), QStringLiteral("270\u00BA")}));
    EXPECT_EQ(control<QComboBox>(&form, "cmbFont")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(&form, "cmbFontSize")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(&form, "cmbRotation")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(&form, "cmbPageSize")->currentIndex(), -1);
    EXPECT_EQ(control<QLineEdit>(&form, "txtCreator")->text(), QStringLiteral("Tekvora v1.0"));
    EXPECT_EQ(control<QLineEdit>(&form, "txtFilename")->text(), gArquivoTXT);
    EXPECT_EQ(control<QLineEdit>(&form, "txtOutputFile")->text(), gArquivoPDF);
}

TEST_F(frmgerapdfpTest, ReportHandOverConvertsOpensAndDeletes) {
    const QString txt = gArquivoTXT;
    frmgerapdfp::printReport();
    EXPECT_FALSE(stayedOpen);
    EXPECT_TRUE(prompts().messages.empty());
    EXPECT_EQ(opened, QStringList{gArquivoPDF});
    EXPECT_FALSE(QFile::exists(txt));
    EXPECT_EQ(gArquivoTXT, txt);
    const auto info = expectValidPdf(gArquivoPDF).info;
    EXPECT_TRUE(info.value(QStringLiteral("Page size")).startsWith(QStringLiteral("1008 x 792")));
    EXPECT_TRUE(pageText(gArquivoPDF, 1).contains(QStringLiteral("Açúcar (cristal) | 10,00")));
}

TEST_F(frmgerapdfpTest, OpenedWithoutPageSizeUsesTheReportPage) {
    registerPrintForms();
    Forms::open(QStringLiteral("frmgerapdfp"), QStringLiteral("Assistente de impressão"));
    EXPECT_EQ(opened, QStringList{gArquivoPDF});
    EXPECT_TRUE(expectValidPdf(gArquivoPDF).pageSize.startsWith("1008 x 792"));
}

TEST_F(frmgerapdfpTest, EmptyPathAsksOnceAndStaysOpen) {
    const QString txt = gArquivoTXT;
    gArquivoPDF.clear();
    frmgerapdfp::printReport();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompts().texts(), QStringList{"Informe o nome do arquivo."});
    EXPECT_EQ(prompts().last().title, kAppTitle);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(QFile::exists(txt));
}

TEST_F(frmgerapdfpTest, MissingInputIsSaidAndNothingOpened) {
    QFile::remove(gArquivoTXT);
    frmgerapdfp::printReport();
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Arquivo '") + gArquivoTXT +
                                             QStringLiteral("' não existe.")});
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(stayedOpen);
    EXPECT_FALSE(QFile::exists(gArquivoPDF));
}

TEST_F(frmgerapdfpTest, WriteFailureKeepsTheReportAndOpensNothing) {
    gArquivoPDF = dir.filePath(QStringLiteral("missing/folder/r.pdf"));
    frmgerapdfp::printReport();
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_FALSE(prompts().last().text.isEmpty());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(QFile::exists(gArquivoTXT));
    EXPECT_FALSE(QFile::exists(gArquivoPDF));
    EXPECT_TRUE(stayedOpen);
}

TEST_F(frmgerapdfpTest, CancelDeletesTheReportClosingKeepsIt) {
    {
        frmgerapdfp form;
        form.reject();
        EXPECT_TRUE(QFile::exists(gArquivoTXT));
        click(&form, "btnClose");
        EXPECT_FALSE(QFile::exists(gArquivoTXT));
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(frmgerapdfpTest, BrowsingForInputAndOutput) {
    frmgerapdfp form;
    auto* input = control<QLineEdit>(&form, "txtFilename");
    auto* output = control<QLineEdit>(&form, "txtOutputFile");
    dialogAnswers = {QString(), QStringLiteral(" /dados/rel.txt "), QStringLiteral("/dados/x.pdf")};
    click(&form, "btnOpen");
    EXPECT_EQ(input->text(), gArquivoTXT);
    click(&form, "btnOpen");
    EXPECT_EQ(input->text(), QStringLiteral("/dados/rel.txt"));
    EXPECT_EQ(output->text(), QStringLiteral("/dados/rel.pdf"));
    click(&form, "btnSave");
    EXPECT_EQ(output->text(), QStringLiteral("/dados/x.pdf"));
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].kind, FileDialogs::Request::Open);
    EXPECT_EQ(requests[0].title, QStringLiteral("Select a text file"));
    EXPECT_EQ(requests[0].filter, QStringLiteral("Text files (*.txt);;All files (*.*)"));
    EXPECT_EQ(requests[2].kind, FileDialogs::Request::Save);
    EXPECT_EQ(requests[2].title, QStringLiteral("Save PDF As"));
    EXPECT_EQ(requests[2].filter, QStringLiteral("Portable Document Format files (*.pdf)"));
    EXPECT_EQ(requests[2].defaultSuffix, QStringLiteral("pdf"));
}

TEST_F(frmgerapdfpTest, ChoicesReachThePdf) {
    frmgerapdfp form;
    control<QComboBox>(&form, "cmbRotation")->setCurrentIndex(1);
    control<QComboBox>(&form, "cmbFontSize")->setCurrentIndex(1);
    control<QComboBox>(&form, "cmbPageSize")->setCurrentIndex(0);
    control<QComboBox>(&form, "cmbFont")->setCurrentIndex(1);
    control<QLineEdit>(&form, "txtTitle")->setText(QStringLiteral("Compras"));
    click(&form, "btnConvert");
    const auto info = expectValidPdf(gArquivoPDF).info;
    EXPECT_EQ(info.value(QStringLiteral("Page rot")), QStringLiteral("90"));
    EXPECT_TRUE(info.value(QStringLiteral("Page size")).startsWith(QStringLiteral("612 x 792")));
    EXPECT_EQ(info.value(QStringLiteral("Title")), QStringLiteral("Compras"));
    EXPECT_EQ(info.value(QStringLiteral("Creator")), QStringLiteral("Tekvora v1.0"));
    const QByteArray pdf = readFile(gArquivoPDF);
    EXPECT_TRUE(pdf.contains("/F1 8 Tf\r"));
    EXPECT_TRUE(pdf.contains("/BaseFont /Courier\r"));
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(frmgerapdfpTest, SendByEmailConvertsWithoutOpening) {
    frmgerapdfp form;
    click(&form, "Command1");
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(TextToPdf::fileExists(gArquivoPDF));
    EXPECT_FALSE(QFile::exists(gArquivoTXT));
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Ainda não disponivel!")});
}

TEST_F(frmgerapdfpTest, SpreadsheetExport) {
    frmgerapdfp form;
    const QString book = dir.filePath(QStringLiteral("compras"));
    dialogAnswers = {QString(), book, book};
    click(&form, "Command2"); // cancelled: nothing at all
    EXPECT_TRUE(prompts().messages.empty());
    EXPECT_TRUE(QFile::exists(gArquivoTXT));

    prompts().answers = {MsgAnswer::Yes};
    click(&form, "Command2");
    EXPECT_TRUE(QFile::exists(book + QStringLiteral(".xlsx")));
    EXPECT_FALSE(QFile::exists(gArquivoTXT));
    ASSERT_EQ(prompts().messages.size(), 2u);
    const MessageRequest& question = prompts().messages[0];
    EXPECT_EQ(question.text,
              QStringLiteral("ARQUIVO EXPORTADO COM SUCESSO!\r\nDeseja enviar por email?"));
    EXPECT_EQ(question.title, QStringLiteral("Atenção"));
    EXPECT_EQ(question.icon, MsgIcon::Question);
    EXPECT_EQ(question.buttons, MsgButtons::YesNo);
    EXPECT_EQ(question.defaultButton, MsgDefault::Second);
    EXPECT_EQ(prompts().messages[1].text, QStringLiteral("Ainda não disponivel!"));

    // The text report is gone now: the export says so and writes nothing.
    prompts().reset();
    QFile::remove(book + QStringLiteral(".xlsx"));
    click(&form, "Command2");
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Arquivo '") + gArquivoTXT +
                                             QStringLiteral("' não existe.")});
    EXPECT_FALSE(QFile::exists(book + QStringLiteral(".xlsx")));
}

TEST_F(frmgerapdfpTest, FailedExportKeepsTheReport) {
    frmgerapdfp form;
    dialogAnswers = {dir.filePath(QStringLiteral("no/such/dir/x"))};
    click(&form, "Command2");
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_NE(prompts().last().title, QStringLiteral("Atenção"));
    EXPECT_TRUE(QFile::exists(gArquivoTXT));
}

} // namespace
} // namespace vtx::test
