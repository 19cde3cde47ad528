// The working-hours form against the real server: the professional items, the hour check,
// the saved rows and the delete by double click.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "Clock.h"
#include "DataControl.h"
#include "DbFixture.h"
#include "FormDriving.h"
#include "HourList.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "Typing.h"
#include "frmCadHorarios.h"

namespace vtx::test {
namespace {

const QString kBadData = QStringLiteral("--- ERRO --- DADOS INCORRETO!");
const QString kNoHours = QStringLiteral("--- ERRO --- INFORME O(s) HORÁRIO(s)");
const QString kBadHour = QStringLiteral("--- ERRO --- HORÁRIOS POSSUI HORA INVÁLIDA!");

TEST(HourListTest, ItemsPadOrCutBothNamesToFortyFiveCharacters) {
    EXPECT_EQ(HourList::professionalItem(QStringLiteral("ANA"), QStringLiteral("FISIOTERAPIA"),
                                         QStringLiteral("0"), QStringLiteral("3"),
                                         QStringLiteral("12")),
              QStringLiteral("ANA") + QString(42, QLatin1Char(' ')) + QStringLiteral("|") +
                  QStringLiteral("FISIOTERAPIA") + QString(33, QLatin1Char(' ')) +
                  QStringLiteral("|0|3|12"));
    const QString longName = QString(50, QLatin1Char('X'));
    EXPECT_TRUE(HourList::professionalItem(longName, QString(), QString(), QString(), QString())
                    .startsWith(QString(45, QLatin1Char('X')) + QLatin1Char('|')));
    const QString home = QStringLiteral("HOME") + QString(41, QLatin1Char(' '));
    EXPECT_EQ(HourList::homeItem(), home + QLatin1Char('|') + home + QStringLiteral("|1|0|0"));
}

TEST(HourListTest, AcceptsHoursAndMinutesInRangeAsTyped) {
    for (const char* ok :
         {"8:15/9:20/13:30", "8", "8:15/", "8:15:99", "0:00/23:59", " 8:00 ", "08: 05", "8//9"})
        EXPECT_TRUE(HourList::isValid(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"24:00", "8:60", "8:AB", "-1:00", "AB", "8:", "8,5:30", "1e1",
                            "8:15/ /9", "+8", "99999999999999999999"})
        EXPECT_FALSE(HourList::isValid(QString::fromLatin1(bad))) << bad;
}

class HoursFormTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 5, 4), QTime(8, 7, 6)));
    }

    QVariant addSpecialty(const QString& name) {
        db.execute(QStringLiteral("insert into especialidades (idlic, nmesp) values (?, ?)"),
                   {gIdLic, name});
        return db.lastInsertId();
    }

    QString addProfessional(const QString& name, const QVariant& specialty, const QVariant& place) {
        db.execute(QStringLiteral("insert into profissionais (idlic, nmpro, idesp, vertmex) "
                                  "values (?, ?, ?, ?)"),
                   {gIdLic, name, specialty, place});
        return QString::number(db.lastInsertId());
    }

    std::unique_ptr<frmCadHorarios> open() { return test::open<frmCadHorarios>(); }

    QComboBox* combo(QWidget* f, const char* name) { return control<QComboBox>(f, name); }
    QStringList items(QComboBox* c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
    /// Picks the professional whose item starts with the name.
    void pick(QWidget* f, const QString& name) {
        QComboBox* pro = combo(f, "cboPRO");
        const int i = pro->findText(name, Qt::MatchStartsWith);
        ASSERT_GE(i, 0) << name.toStdString();
        pro->setCurrentIndex(i);
    }
    void choose(QWidget* f, const char* name, const QString& item) {
        combo(f, name)->setCurrentIndex(combo(f, name)->findText(item));
    }
    void save(QWidget* f, const QString& hours) {
        control<QLineEdit>(f, "txtHR")->setText(hours);
        control<QPushButton>(f, "Command1")->click();
    }
    Recordset stored() {
        return db.query(QStringLiteral("select * from diahr where idlic = ? order by dia, hr"),
                        {gIdLic});
    }
    int listedRows(QWidget* f) { return control<QTableView>(f, "DataGrid2")->model()->rowCount(); }
};

TEST_F(HoursFormTest, ProfessionalItemsAreSortedWithHomeInItsPlace) {
    const QVariant fisio = addSpecialty(QStringLiteral("FISIOTERAPIA"));
    const QString ana = addProfessional(QStringLiteral("ANA"), fisio, QStringLiteral("0"));
    addProfessional(QStringLiteral("HUGO"), fisio, QStringLiteral("2"));
    addProfessional(QStringLiteral("HOMERO"), QVariant(), QVariant());
    auto f = open();

    const QStringList listed = items(combo(f.get(), "cboPRO"));
    ASSERT_EQ(listed.size(), 4);
    EXPECT_EQ(listed[0], QStringLiteral("ANA") + QString(42, QLatin1Char(' ')) +
                             QStringLiteral("|FISIOTERAPIA") + QString(33, QLatin1Char(' ')) +
                             QStringLiteral("|0|") + fisio.toString() + QLatin1Char('|') + ana);
    EXPECT_EQ(listed[1], QStringLiteral("HOME") + QString(41, QLatin1Char(' ')) +
                             QStringLiteral("|HOME") + QString(41, QLatin1Char(' ')) +
                             QStringLiteral("|1|0|0"));
    EXPECT_TRUE(listed[2].startsWith(QStringLiteral("HOMERO ")));
    EXPECT_TRUE(listed[2].contains(QStringLiteral("|||")));
    EXPECT_TRUE(listed[3].startsWith(QStringLiteral("HUGO ")));

    // Right after opening nothing is picked and nothing but the combo can be used.
    EXPECT_EQ(combo(f.get(), "cboPRO")->currentIndex(), -1);
    for (const char* name : {"cboVM", "cboDia", "txtHR", "Command1"})
        EXPECT_FALSE(control<QWidget>(f.get(), name)->isEnabled()) << name;
    EXPECT_EQ(listedRows(f.get()), 0);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Disponibilidade de Horários dos Profissionais"));
}

TEST_F(HoursFormTest, ThePlaceCombOffersWhatTheProfessionalWorksAt) {
    addProfessional(QStringLiteral("CLARA"), addSpecialty(QStringLiteral("X")),
                    QStringLiteral("0"));
    addProfessional(QStringLiteral("DORA"), QVariant(), QStringLiteral("2"));
    addProfessional(QStringLiteral("EVA"), QVariant(), QVariant());
    db.execute(QStringLiteral("insert into diahr (idlic, idpro, dia, hr, vertmex, idesp) "
                              "values (?, 0, '1 - DOMINGO', '9:00', '1', 0)"),
               {gIdLic});
    auto f = open();
    const QStringList both{QStringLiteral("0 - CLINICA"), QStringLiteral("1 - HOME")};

    pick(f.get(), QStringLiteral("HOME "));
    EXPECT_EQ(items(combo(f.get(), "cboVM")), QStringList{QStringLiteral("1 - HOME")});
    EXPECT_EQ(combo(f.get(), "cboVM")->currentIndex(), -1);
    EXPECT_EQ(listedRows(f.get()), 1);
    EXPECT_TRUE(combo(f.get(), "cboVM")->hasFocus());
    pick(f.get(), QStringLiteral("CLARA"));
    EXPECT_EQ(items(combo(f.get(), "cboVM")), QStringList{QStringLiteral("0 - CLINICA")});
    EXPECT_EQ(listedRows(f.get()), 0);
    pick(f.get(), QStringLiteral("DORA"));
    EXPECT_EQ(items(combo(f.get(), "cboVM")), both);
    pick(f.get(), QStringLiteral("EVA"));
    EXPECT_EQ(items(combo(f.get(), "cboVM")), both);
}

TEST_F(HoursFormTest, SaveChecksRefuseWithTheirMessagesAndWriteNothing) {
    addProfessional(QStringLiteral("ANA"), addSpecialty(QStringLiteral("X")), QStringLiteral("0"));
    addProfessional(QStringLiteral("SEM ESPECIALIDADE"), QVariant(), QStringLiteral("0"));
    auto f = open();

    pick(f.get(), QStringLiteral("ANA"));
    save(f.get(), QStringLiteral("8:00")); // no weekday, no place
    choose(f.get(), "cboDia", QStringLiteral("2 - SEGUNDA-FEIRA"));
    save(f.get(), QStringLiteral("8:00")); // no place
    choose(f.get(), "cboVM", QStringLiteral("0 - CLINICA"));
    save(f.get(), QStringLiteral("   "));
    save(f.get(), QStringLiteral("8:00/24:00"));
    EXPECT_EQ(prompts().texts(), (QStringList{kBadData, kBadData, kNoHours, kBadHour}));
    EXPECT_EQ(prompts().messages[0].title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(prompts().messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(prompts().messages[2].icon, MsgIcon::Information);
    EXPECT_EQ(prompts().messages[3].title, QStringLiteral("Atenção"));
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtHR")->text(), QStringLiteral("8:00/24:00"));

    // A professional without a specialty code cannot be saved.
    pick(f.get(), QStringLiteral("SEM ESPECIALIDADE"));
    choose(f.get(), "cboDia", QStringLiteral("2 - SEGUNDA-FEIRA"));
    choose(f.get(), "cboVM", QStringLiteral("0 - CLINICA"));
    save(f.get(), QStringLiteral("8:00"));
    EXPECT_EQ(prompts().texts().last(), kBadData);
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(HoursFormTest, EachSaveAddsARowAsTyped) {
    const QVariant esp = addSpecialty(QStringLiteral("X"));
    const QString id = addProfessional(QStringLiteral("ANA"), esp, QStringLiteral("2"));
    auto f = open();
    pick(f.get(), QStringLiteral("ANA"));
    choose(f.get(), "cboDia", QStringLiteral("2 - SEGUNDA-FEIRA"));
    choose(f.get(), "cboVM", QStringLiteral("1 - HOME"));
    save(f.get(), QStringLiteral(" 8:15/9:20/13:30/"));
    save(f.get(), QStringLiteral(" 8:15/9:20/13:30/"));
    EXPECT_TRUE(prompts().messages.empty());

    Recordset rows = stored();
    ASSERT_EQ(rows.recordCount(), 2);
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        EXPECT_EQ(rows.text(QStringLiteral("idpro")), id);
        EXPECT_EQ(rows.text(QStringLiteral("dia")), QStringLiteral("2 - SEGUNDA-FEIRA"));
        EXPECT_EQ(rows.text(QStringLiteral("hr")), QStringLiteral(" 8:15/9:20/13:30/"));
        EXPECT_EQ(rows.text(QStringLiteral("vertmex")), QStringLiteral("1"));
        EXPECT_EQ(rows.text(QStringLiteral("idesp")), esp.toString());
        EXPECT_EQ(rows.text(QStringLiteral("evcad")),
                  QStringLiteral("TESTE - 04/05/2026 08:07:06"));
        EXPECT_EQ(rows.text(QStringLiteral("evup")), QStringLiteral("TESTE- 04/05/2026 08:07:06"));
    }
    // The form keeps its contents for the next weekday and lists the new rows.
    EXPECT_EQ(combo(f.get(), "cboDia")->currentText(), QStringLiteral("2 - SEGUNDA-FEIRA"));
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtHR")->text(), QStringLiteral(" 8:15/9:20/13:30/"));
    EXPECT_TRUE(combo(f.get(), "cboDia")->hasFocus());
    EXPECT_EQ(listedRows(f.get()), 2);
}

TEST_F(HoursFormTest, ItemCodesSurviveABarInTheNameAndTheJoinStaysInTheInstallation) {
    // A specialty of another installation under the same code lends it no name.
    const QString other = QStringLiteral("U") + gIdLic.mid(1);
    const QVariant esp = addSpecialty(QStringLiteral("DENTISTA"));
    const QString id = addProfessional(QStringLiteral("ANA|9|9"), esp, QStringLiteral("0"));
    db.execute(QStringLiteral("insert into especialidades (idlic, nmesp) values (?, 'ALHEIA')"),
               {other});
    const QString alien = QString::number(db.lastInsertId());
    const QString orphan = addProfessional(QStringLiteral("BIA"), alien, QStringLiteral("0"));
    auto f = open();
    db.execute(QStringLiteral("delete from especialidades where idlic = ?"), {other});
    const QStringList listed = items(combo(f.get(), "cboPRO"));
    EXPECT_EQ(listed.filter(QStringLiteral("ALHEIA")), QStringList());
    EXPECT_TRUE(listed.contains(QStringLiteral("BIA") + QString(42, QLatin1Char(' ')) +
                                QLatin1Char('|') + QString(45, QLatin1Char(' ')) +
                                QStringLiteral("|0|") + alien + QLatin1Char('|') + orphan))
        << listed.join(u'\n').toStdString();

    pick(f.get(), QStringLiteral("ANA|9|9"));
    choose(f.get(), "cboDia", QStringLiteral("1 - DOMINGO"));
    choose(f.get(), "cboVM", QStringLiteral("0 - CLINICA"));
    save(f.get(), QStringLiteral("8"));
    Recordset rows = stored();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("idpro")), id);
    EXPECT_EQ(rows.text(QStringLiteral("idesp")), esp.toString());
}

TEST_F(HoursFormTest, DoubleClickDeletesOneRowOnlyAfterYes) {
    const QString id = addProfessional(QStringLiteral("ANA"), addSpecialty(QStringLiteral("X")),
                                       QStringLiteral("0"));
    for (int i = 0; i < 2; ++i) // identical twins
        db.execute(QStringLiteral("insert into diahr (idlic, idpro, dia, hr, evcad, evup, vertmex, "
                                  "idesp) values (?, ?, '3 - TERÇA-FEIRA', '8:00', NULL, 'E', "
                                  "'0', 1)"),
                   {gIdLic, id});
    auto f = open();
    pick(f.get(), QStringLiteral("ANA"));
    auto* grid = control<QTableView>(f.get(), "DataGrid2");
    const QPoint cell = grid->visualRect(grid->model()->index(0, 1)).center();

    prompts().answers.push_back(MsgAnswer::No);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_EQ(prompts().texts(), QStringList{QStringLiteral("Confirma a exclusão?")});
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
    EXPECT_EQ(stored().recordCount(), 2);

    prompts().answers.push_back(MsgAnswer::Yes);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(stored().recordCount(), 1);
    EXPECT_EQ(listedRows(f.get()), 1);
}

TEST_F(HoursFormTest, AFailedWriteIsReportedAndTheTypedHoursStay) {
    addProfessional(QStringLiteral("ANA"), addSpecialty(QStringLiteral("X")), QStringLiteral("0"));
    auto f = open();
    pick(f.get(), QStringLiteral("ANA"));
    choose(f.get(), "cboDia", QStringLiteral("4 - QUARTA-FEIRA"));
    choose(f.get(), "cboVM", QStringLiteral("0 - CLINICA"));
    // The list's own connection drops before the row is written.
    endSession(f->Adodc2().connection());
    save(f.get(), QStringLiteral("8:00/9:00"));
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtHR")->text(), QStringLiteral("8:00/9:00"));
    EXPECT_EQ(combo(f.get(), "cboDia")->currentText(), QStringLiteral("4 - QUARTA-FEIRA"));
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(HoursFormTest, ASaveWhoseListNeverOpenedIsReported) {
    addProfessional(QStringLiteral("ANA"), addSpecialty(QStringLiteral("X")), QStringLiteral("0"));
    auto f = open();
    // The professional's rows cannot be read: the pick reports it, and so does the save.
    gStrConexao = testConnectionString().replace(QStringLiteral("Password="),
                                                 QStringLiteral("Password=errada"));
    pick(f.get(), QStringLiteral("ANA"));
    ASSERT_EQ(prompts().messages.size(), 1u);
    choose(f.get(), "cboDia", QStringLiteral("2 - SEGUNDA-FEIRA"));
    choose(f.get(), "cboVM", QStringLiteral("0 - CLINICA"));
    save(f.get(), QStringLiteral("8:00"));
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtHR")->text(), QStringLiteral("8:00"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(stored().isEmpty());
    gStrConexao = testConnectionString();
}

TEST_F(HoursFormTest, LettersStayAsTypedAndEscLeavesTheSharedConnection) {
    conexaoAberta();
    addProfessional(QStringLiteral("ANA"), addSpecialty(QStringLiteral("X")), QStringLiteral("0"));
    auto f = open();
    pick(f.get(), QStringLiteral("ANA"));
    auto* hours = control<QLineEdit>(f.get(), "txtHR");
    hours->setFocus();
    typeText(hours, QStringLiteral("8h"));
    EXPECT_EQ(hours->text(), QStringLiteral("8h"));
    QTest::keyClick(hours, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(f->Adodc2().isOpen());
    EXPECT_TRUE(gConexao().isOpen());
}

} // namespace
} // namespace vtx::test
