// The printed day agenda read back from its file: the choice, the pages, the clinic and the
// home lines.
#include <map>

#include <QFileInfo>
#include <QRegularExpression>

#include "AgendaFixture.h"
#include "PdfCheck.h"

namespace vtx::test {
namespace {

class PrintoutTest : public AgendaTest {
protected:
    /// Presses "F3 Imprimir Agenda" with the answers given to the choice.
    void print(QWidget* f, const QList<std::optional<QString>>& answers) {
        prompts().inputAnswers.assign(answers.begin(), answers.end());
        key(f, Qt::Key_F3);
    }
    QString file() const {
        return QDir(folder.path()).filePath(QStringLiteral("temp/cli_agenda_260504100000.pdf"));
    }
    /// The printed lines of a page, top to bottom: the words at one height, one blank
    /// between them.
    static QStringList printed(const QString& path, int page) {
        std::map<double, QStringList> rows;
        for (const WordBox& w : pageWords(path, page))
            rows[w.yMin] << w.text;
        QStringList out;
        for (const auto& [y, words] : rows)
            out << words.join(QLatin1Char(' '));
        return out;
    }
    /// The height of each line that begins with an hour.
    std::vector<double> hourHeights(int page) {
        static const QRegularExpression hour(QStringLiteral("^\\d\\d:\\d\\d$"));
        std::vector<double> out;
        for (const WordBox& w : pageWords(file(), page))
            if (hour.match(w.text).hasMatch())
                out.push_back(w.yMin);
        return out;
    }
};

TEST_F(PrintoutTest, TheChoiceIsAskedAgainAndCancelWritesNothing) {
    const QString ana = addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0"));
    addHours(ana, QStringLiteral("08:00/09:00"));
    addBooking(QStringLiteral("A1"), ana, QStringLiteral("08:00"), QStringLiteral("JOSE"));
    db.execute(QStringLiteral("update agenda_clinica set idconv = ? where idlic = ?"),
               {insert(QStringLiteral("convenios"), {QStringLiteral("nmconv")},
                       {QStringLiteral("BRADESCO SAUDE")})
                    .toInt(),
                gIdLic});
    auto f = open();
    gArquivoPDF = QStringLiteral("anterior.pdf");
    print(f.get(), {std::nullopt});
    EXPECT_EQ(prompts().inputs.size(), 1u);
    EXPECT_EQ(prompts().inputs[0].title, QStringLiteral("QUAL AGENDA DESEJA IMPRIMIR?"));
    EXPECT_EQ(prompts().inputs[0].prompt,
              QStringLiteral("0 - AGENDA DA CLINICA\r\n1 - AGENDA DO HOME"));
    EXPECT_EQ(gArquivoPDF, QStringLiteral("anterior.pdf"));
    EXPECT_FALSE(QFileInfo::exists(QDir(folder.path()).filePath(QStringLiteral("temp"))));

    print(f.get(), {QString(), QStringLiteral(" 0"), QStringLiteral("2"), QStringLiteral("0")});
    EXPECT_EQ(prompts().inputs.size(), 5u);
    EXPECT_EQ(gArquivoPDF, file());
    EXPECT_EQ(opened, QStringList{file()});
    EXPECT_EQ(expectValidPdf(file()).pages, 1);
    EXPECT_EQ(printed(file(), 1),
              QStringList(
                  {QStringLiteral("Vertalumex 1.0 - AGENDA CLINICA"),
                   QStringLiteral("PROFISSIONAL: ANA"), QStringLiteral("AGENDA DO DIA: 04/05/2026"),
                   QStringLiteral("TESTE - 04/05/2026 10:00:00"),
                   QStringLiteral("Horár Paciente Telefone C/R Mobil? CF? Conv"),
                   QStringLiteral("08:00 JOSE 9999-0000 1 - Sim 0 BRAD"), QStringLiteral("09:00"),
                   QStringLiteral("www.morvisca.com.br - 04/05/2026 10:00:00")}));
}

TEST_F(PrintoutTest, SixtyEightLinesFillAPageAndTheBandStartsTheNext) {
    const QString ana = addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0"));
    // 69 hours in four working-hours rows, ten minutes apart from 06:00.
    for (int row = 0; row < 4; ++row) {
        QStringList list;
        for (int i = row * 20; i < std::min(69, row * 20 + 20); ++i)
            list << QTime(6, 0).addSecs(600 * i).toString(QStringLiteral("HH:mm"));
        addHours(ana, list.join(QLatin1Char('/')));
    }
    auto f = open();
    print(f.get(), {QStringLiteral("0")});
    EXPECT_EQ(expectValidPdf(file()).pages, 2);
    const std::vector<double> first = hourHeights(1), second = hourHeights(2);
    ASSERT_EQ(first.size(), 68u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_DOUBLE_EQ(second[0], first[0]); // both under the band, at y 90
    EXPECT_EQ(printed(file(), 2),
              QStringList({QStringLiteral("Horár Paciente Telefone C/R Mobil? CF? Conv"),
                           QStringLiteral("17:20"),
                           QStringLiteral("www.morvisca.com.br - 04/05/2026 10:00:00")}));
    EXPECT_FALSE(printed(file(), 1).join(u'|').contains(QStringLiteral("morvisca")));
}

TEST_F(PrintoutTest, ABlockedDayAndTheHomeSessionsPrint) {
    addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0")); // no hours: blocked
    const QVariant patient =
        insert(QStringLiteral("pacientes"), {QStringLiteral("nmPac"), QStringLiteral("fonepac")},
               {QStringLiteral("RITA"), QStringLiteral("3333-4444")})
            .toInt();
    const QVariant procedure = insert(QStringLiteral("procedimentos"),
                                      {QStringLiteral("nmproc"), QStringLiteral("vertmex")},
                                      {QStringLiteral("CURATIVO SIMPLES"), QStringLiteral("1")})
                                   .toInt();
    addSession(QStringLiteral("C1"), QStringLiteral("S1"), QStringLiteral("14:00"), patient,
               procedure);
    addSession(QStringLiteral("C1"), QStringLiteral("S2"), QStringLiteral("07:30"), patient,
               QVariant());
    // Visits booked for home care in the appointment book (professional 0), which no day list
    // shows: the home agenda lists them among the sessions, marked; a clinic booking and a home
    // booking of another day stay out.
    addBooking(QStringLiteral("H1"), QStringLiteral("0"), QStringLiteral("14:00"),
               QStringLiteral("MARIA"));
    addBooking(QStringLiteral("H2"), QStringLiteral("0"), QStringLiteral("09:00"),
               QStringLiteral("JOSE"));
    addBooking(QStringLiteral("H3"), QStringLiteral("0"), QStringLiteral("08:00"),
               QStringLiteral("OUTRO DIA"));
    addBooking(QStringLiteral("K1"),
               addProfessional(QStringLiteral("BIA"), 150, QStringLiteral("0")),
               QStringLiteral("08:30"), QStringLiteral("NA CLINICA"));
    db.execute(QStringLiteral("update agenda_clinica set vertmex = if(idpro = 0, '1', '0'), "
                              "idproc = ?, dia = if(idagenda = 'H3', ?, dia) where idlic = ?"),
               {procedure, kToday.addDays(1), gIdLic});
    auto f = open();
    print(f.get(), {QStringLiteral("0")});
    EXPECT_TRUE(printed(file(), 1).contains(QStringLiteral("BLOQUEADA")));

    Clock::set(QDateTime(kToday, QTime(10, 0, 1)));
    print(f.get(), {QStringLiteral("1")});
    EXPECT_TRUE(gArquivoPDF.endsWith(QStringLiteral("cli_agenda_260504100001.pdf")));
    EXPECT_EQ(printed(gArquivoPDF, 1),
              QStringList({QStringLiteral("Vertalumex 1.0 - AGENDA HOME"),
                           QStringLiteral("PROFISSIONAL: HOME"),
                           QStringLiteral("AGENDA DO DIA: 04/05/2026"),
                           QStringLiteral("TESTE - 04/05/2026 10:00:01"),
                           QStringLiteral("Horár Paciente Telefone C/R Mobil? CF? Conv"),
                           QStringLiteral("07:30 RITA 3333-4444"),
                           QStringLiteral("09:00 AGENDA: JOSE 9999-0000 CURATIVO SIMPLES"),
                           QStringLiteral("14:00 RITA 3333-4444 CURATIVO SIMPLES"),
                           QStringLiteral("14:00 AGENDA: MARIA 9999-0000 CURATIVO SIMPLES"),
                           QStringLiteral("www.morvisca.com.br - 04/05/2026 10:00:01")}));
}

} // namespace
} // namespace vtx::test
