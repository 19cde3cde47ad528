// The contract sheets read back from their files: where texts and rules stand, page breaks,
// file names, refusals and the texts pdftotext gives back.
#include <QAction>
#include <QFileInfo>

#include "ContractsFixture.h"
#include "Cp1252.h"
#include "Impressos.h"
#include "PdfTestSupport.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "frmOS_ListaOrc.h"
#include "frmOS_Prescricao.h"

namespace vtx::test {
namespace {

const QString kContract = QStringLiteral("2605041020301");

struct Placed {
    double y;
    QString text;
};
struct Segment {
    double x1, y1, x2, y2;
};

/// A drawn page's texts and lines, y measured from the top of the page.
struct Page {
    std::vector<Placed> texts;
    std::vector<Segment> lines;

    QStringList textsAt(double y) const {
        QStringList out;
        for (const Placed& p : texts)
            if (qFuzzyCompare(p.y, y))
                out << p.text;
        return out;
    }
    /// Lines across the sheet from x1 to x2.
    std::vector<double> rulesFrom(double x1, double x2) const {
        std::vector<double> out;
        for (const Segment& s : lines)
            if (s.x1 == x1 && s.x2 == x2 && s.y1 == s.y2)
                out.push_back(s.y1);
        return out;
    }
    /// The lower end of the vertical line at x.
    double columnEnd(double x) const {
        for (const Segment& s : lines)
            if (s.x1 == x && s.x2 == x)
                return s.y2;
        return -1;
    }
};

Page readPage(const QString& path, int number, double height) {
    const QByteArray file = readFile(path);
    Page page;
    double y = 0, x1 = 0, y1 = 0;
    for (const QByteArray& l : lines(streamData(file, 2 * number))) {
        const QList<QByteArray> w = l.split(' ');
        if (l.endsWith(" Td")) {
            y = height - w[1].toDouble();
        } else if (l.startsWith('(') && l.endsWith(") Tj")) {
            QByteArray t = l.mid(1, l.size() - 5);
            t.replace("\\(", "(").replace("\\)", ")").replace("\\\\", "\\");
            page.texts.push_back({y, Cp1252::decode(t)});
        } else if (w.size() == 3 && w[2] == "m") {
            x1 = w[0].toDouble();
            y1 = height - w[1].toDouble();
        } else if (w.size() == 3 && w[2] == "l") {
            page.lines.push_back({x1, y1, w[0].toDouble(), height - w[1].toDouble()});
        }
    }
    return page;
}

class SheetsTest : public ContractsFixture {
protected:
    void addPrescription(const QString& receipt, const QDate& on, const QVariant& text,
                         const QString& frequency) {
        db.execute(QStringLiteral("insert into contrato_prescricao (idlic, idcontrato, idproc, "
                                  "idreceita, dspresc, DtPresc, dsfreq) values (?, ?, 1, ?, ?, "
                                  "?, ?)"),
                   {gIdLic, kContract, receipt, text, on, frequency});
    }
    bool evolution(const QString& contract, const QString& professional) {
        return Impressos::ImprimeEvolucao(
            contract, QStringLiteral("04/05/2026"), QStringLiteral("08:00"), 7,
            QStringLiteral("FISIOTERAPIA MOTORA"), QStringLiteral("7_2605040800"), professional);
    }

    const QDate date{2026, 5, 7};
};

TEST_F(SheetsTest, CheckSheetCutsLongPrescriptionsIntoLinesAndRulesEachRow) {
    addContract(kContract, addPatient(QStringLiteral("JOÃO D'ÁVILA"), QDate(1980, 5, 10)));
    const QString longText = QString(50, QLatin1Char('A')) + QString(50, QLatin1Char('B')) +
                             QString(20, QLatin1Char('C'));
    addPrescription(QStringLiteral("120260507"), date, longText, QStringLiteral("8/8H"));
    addPrescription(QStringLiteral("220260507"), date, QStringLiteral("SORO FISIOLÓGICO"),
                    QStringLiteral("12/12H"));

    ASSERT_TRUE(Impressos::ImprimePrescricao(kContract, date));
    const QString path = tempFile(QStringLiteral("PM_2605041020301_07052026.pdf"));
    EXPECT_EQ(gArquivoPDF, path);
    EXPECT_EQ(expectValidPdf(path).pageSize.left(9), QStringLiteral("842 x 595"));

    const Page page = readPage(path, 1, 595);
    EXPECT_EQ(page.textsAt(75),
              QStringList({QStringLiteral("8/8H"), QString(50, QLatin1Char('A'))}));
    EXPECT_EQ(page.textsAt(85), QStringList{QString(50, QLatin1Char('B'))});
    EXPECT_EQ(page.textsAt(95), QStringList{QString(20, QLatin1Char('C'))});
    EXPECT_EQ(page.textsAt(105),
              QStringList({QStringLiteral("12/12H"), QStringLiteral("SORO FISIOLÓGICO")}));
    EXPECT_EQ(page.rulesFrom(15, 825), std::vector<double>({48, 65, 97, 107}));
    for (double x : {268, 325, 390, 455, 520, 585, 650, 715})
        EXPECT_EQ(page.columnEnd(x), 107) << x;
    EXPECT_EQ(page.textsAt(40),
              QStringList{QStringLiteral("Emissão: 04/05/2026 Paciente: JOÃO D'ÁVILA Data de "
                                         "Nascimento: 10/05/1980 45 anos  Criação da Prescrição: "
                                         "07/05/2026")});

    const QString text = pageText(path, 1);
    for (const char* expected : {"CHECAGEM DE PRESCRIÇÃO", "JOÃO D'ÁVILA", "ITENS/INSTRUÇÕES",
                                 "SÁBADO", "SORO FISIOLÓGICO", "TESTE"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
}

TEST_F(SheetsTest, ThePrescriptionFormPrintsADateAndOpensOnlyWhatWasWritten) {
    addContract(kContract, addPatient(QStringLiteral("ANA")));
    addPrescription(QStringLiteral("120260507"), date, QStringLiteral("DIPIRONA"),
                    QStringLiteral("6/6H"));
    QStringList opened;
    Desktop::setHooks({{}, [&](const QString& path) { return opened << path, true; }, {}});
    // An older sheet of another contract is not opened in place of a refused one.
    ASSERT_TRUE(Impressos::writeBlankEvolutionSheet());
    const QString older = gArquivoPDF;
    frmOS_Prescricao form(kContract);
    activate(&form);
    prompts().inputAnswers = {QStringLiteral("31/02/2026"), QStringLiteral("08/05/2026"),
                              QStringLiteral("07/05/2026")};
    click(&form, "Command2");
    click(&form, "Command2");
    EXPECT_EQ(prompts().inputs.size(), 3u);
    EXPECT_EQ(prompts().inputs[0].title, QStringLiteral("PRESCRIÇÃO MÉDIA"));
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Prescrição não encontrada!")});
    EXPECT_EQ(opened, QStringList{tempFile(QStringLiteral("PM_2605041020301_07052026.pdf"))});

    prompts().reset();
    EXPECT_FALSE(Impressos::ImprimePrescricao(QStringLiteral("  "), date));
    EXPECT_EQ(prompts().last().text, QStringLiteral("Dados não encontrado!"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    gArquivoPDF = older;
    EXPECT_FALSE(Impressos::ImprimePrescricao(kContract, date.addDays(2)));
    EXPECT_EQ(gArquivoPDF, older);
    EXPECT_FALSE(QFileInfo::exists(tempFile(QStringLiteral("PM_2605041020301_09052026.pdf"))));
}

TEST_F(SheetsTest, CheckSheetGoesOnToANewPageRatherThanPastTheFrame) {
    addContract(kContract, addPatient(QStringLiteral("ANA")));
    // Rows of three lines each stand 30 points: sixteen fit above y 565.
    for (int i = 10; i < 30; ++i)
        addPrescription(QString::number(i), date, QString(120, QLatin1Char('X')),
                        QStringLiteral("ROW%1").arg(i));

    ASSERT_TRUE(Impressos::ImprimePrescricao(kContract, date));
    EXPECT_EQ(expectValidPdf(gArquivoPDF).pages, 2);
    const Page first = readPage(gArquivoPDF, 1, 595), second = readPage(gArquivoPDF, 2, 595);
    EXPECT_EQ(first.rulesFrom(15, 825).back(), 547);
    EXPECT_EQ(first.columnEnd(715), 547);
    EXPECT_EQ(first.textsAt(525).value(0), QStringLiteral("ROW25"));
    EXPECT_EQ(second.textsAt(75).value(0), QStringLiteral("ROW26"));
    EXPECT_EQ(second.columnEnd(268), 187);
    EXPECT_EQ(second.textsAt(30), QStringList{QStringLiteral("CHECAGEM DE PRESCRIÇÃO")});
    EXPECT_EQ(second.textsAt(60).value(1), QStringLiteral("FREQ"));
    // No birth date: the age stays empty.
    EXPECT_TRUE(second.textsAt(40).value(0).contains(
        QStringLiteral("Data de Nascimento:   anos  Criação")));
    EXPECT_TRUE(second.textsAt(580).value(0).endsWith(QStringLiteral(" - TESTE")));
}

TEST_F(SheetsTest, EvolutionSheetOfASessionWithAndWithoutItsProfessional) {
    const long long plan = addPlan(QStringLiteral("SAÚDE"));
    addContract(kContract, addPatient(QStringLiteral("JOÃO D'ÁVILA"), QDate(1980, 4, 1)), plan);
    const long long professional = addProfessional(
        QStringLiteral("ANA"), QStringLiteral("FISIOTERAPIA"), QStringLiteral("CREFITO 123"));

    ASSERT_TRUE(evolution(kContract, QString::number(professional)));
    const QString path = tempFile(QStringLiteral("Ev_2605041020301.pdf"));
    EXPECT_EQ(gArquivoPDF, path);
    EXPECT_EQ(expectValidPdf(path).pageSize.left(9), QStringLiteral("595 x 842"));
    Page page = readPage(path, 1, 842);
    EXPECT_EQ(page.textsAt(35), QStringList{QStringLiteral("FISIOTERAPIA - ANA - CREFITO 123")});
    EXPECT_EQ(page.textsAt(60), QStringList{QStringLiteral("Contrato...: 2605041020301 Id "
                                                           "Proced.: 7_2605040800")});
    EXPECT_EQ(page.textsAt(80).value(0),
              QStringLiteral("Telefone...: (11) 3333-4444 Dt.Nascimento: 01/04/1980 46 anos "));
    EXPECT_EQ(page.textsAt(90).value(0),
              QStringLiteral("Endereço...: RUA DAS FLORES,12 - CENTRO - SÃO PAULO/SP"));
    EXPECT_EQ(page.textsAt(130).value(0), QStringLiteral("Data: 04/05/2026 Horário: 08:00 "
                                                         "Procedimento: FISIOTERAPIA MOTORA"));
    std::vector<double> writing;
    for (double y : page.rulesFrom(15, 575))
        if (y >= 150)
            writing.push_back(y);
    ASSERT_EQ(writing.size(), 44u);
    EXPECT_EQ(writing.front(), 150);
    EXPECT_EQ(writing.back(), 795);
    const QString text = pageText(path, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("IDENTIFICAÇÃO DO PACIENTE")));
    EXPECT_TRUE(text.contains(QStringLiteral("Convênio: SAÚDE")));

    // An unknown professional leaves the line out; a blank key writes nothing at all.
    ASSERT_TRUE(evolution(kContract, QStringLiteral("99999")));
    page = readPage(path, 1, 842);
    EXPECT_TRUE(page.textsAt(35).isEmpty());
    EXPECT_EQ(page.textsAt(70), QStringList{QStringLiteral("Paciente...: JOÃO D'ÁVILA")});
    QFile::remove(path);
    EXPECT_FALSE(evolution(QStringLiteral(" "), QString::number(professional)));
    EXPECT_EQ(gArquivoPDF, path);
    EXPECT_TRUE(QDir(tempFile(QString())).isEmpty());
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(SheetsTest, BlankSheetsOpenFromTheContractListWithTheirFixedFilesAndRows) {
    QStringList opened;
    Desktop::setHooks({{}, [&](const QString& path) { return opened << path, true; }, {}});
    frmOS_ListaOrc list;
    for (const char* item : {"chkmed", "evo"})
        list.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    EXPECT_EQ(opened, QStringList({tempFile(QStringLiteral("PM__EmBranco.pdf")),
                                   tempFile(QStringLiteral("Ev_.pdf"))}));

    ASSERT_TRUE(Impressos::writeBlankCheckSheet());
    EXPECT_EQ(gArquivoPDF, tempFile(QStringLiteral("PM__EmBranco.pdf")));
    expectValidPdf(gArquivoPDF);
    const Page check = readPage(gArquivoPDF, 1, 595);
    const std::vector<double> rules = check.rulesFrom(15, 825);
    ASSERT_EQ(rules.size(), 16u);
    EXPECT_EQ(rules[2], 67);
    EXPECT_EQ(rules.back(), 522);
    EXPECT_EQ(check.columnEnd(650), 557);

    ASSERT_TRUE(Impressos::writeBlankEvolutionSheet());
    EXPECT_EQ(gArquivoPDF, tempFile(QStringLiteral("Ev_.pdf")));
    const Page evolution = readPage(gArquivoPDF, 1, 842);
    EXPECT_EQ(evolution.textsAt(70),
              QStringList{QStringLiteral("Paciente...: ") + QString(35, QLatin1Char('_'))});
    EXPECT_TRUE(pageText(gArquivoPDF, 1).contains(QStringLiteral("[ ]FONOAUDIÔLOGO")));
}

} // namespace
} // namespace vtx::test
