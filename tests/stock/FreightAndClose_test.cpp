// The freight apportionment and the closing of a purchase on the purchase entry form.
#include <QLabel>

#include "StockFixture.h"
#include "frmInsumos_Compra.h"

namespace vtx::test {
namespace {

class FreightTest : public StockFixture {
protected:
    void SetUp() override {
        StockFixture::SetUp();
        supplier = addSupplier(QStringLiteral("MEDSUL"));
        addSupply(QStringLiteral("0123"), QStringLiteral("GAZE"));
    }
    /// Opens the form on the purchase of model 1.
    std::unique_ptr<frmInsumos_Compra> load(const char* series = "1") {
        auto f = open<frmInsumos_Compra>();
        enter(f.get(), "txtCdFor", supplier, "txtSerie");
        box(f.get(), "txtSerie")->setText(QString::fromLatin1(series));
        box(f.get(), "txtNFiscal")->setText(QStringLiteral("77"));
        enter(f.get(), "txtModelo", QStringLiteral("1"), "txtDTe");
        return f;
    }
    void line(const char* key, const char* value, const char* quantity) {
        addLine(QLatin1String(key), supplier, QStringLiteral("1"), QStringLiteral("0123"), value,
                quantity);
    }
    /// "Ratear Frete" with the input answers given (nothing: Cancel) and the question's answer.
    void apportion(QWidget* f, std::initializer_list<std::optional<QString>> answers,
                   MsgAnswer question = MsgAnswer::Yes) {
        prompts().reset();
        for (const auto& a : answers)
            prompts().inputAnswers.push_back(a);
        prompts().answers.push_back(question);
        click(f, "Command5");
    }
    /// The question of "Ratear Frete" for the amount as typed, naming the total to be stored
    /// when given.
    static QString question(const char* amount, const char* stored = nullptr) {
        QString out = QStringLiteral("Confirma o rateio de frete no valor de: ") +
                      QString::fromLatin1(amount) + QStringLiteral(" ?");
        if (stored)
            out += QStringLiteral("\nO FRETE TOTAL GRAVADO SERÁ ") + QString::fromUtf8(stored) +
                   QStringLiteral(" (FRETE POR UNIDADE COM 4 CASAS DECIMAIS).");
        return out;
    }
    QString freightTotal(QWidget* f) {
        const QString text = control<QLabel>(f, "lST")->text();
        const qsizetype from = text.indexOf(QStringLiteral("Tl Frete: "));
        return text.mid(from, text.indexOf(QStringLiteral(" Tl Insumos")) - from);
    }
    QStringList freights() {
        QStringList out;
        Recordset r =
            rows(QStringLiteral("select vfrete from insumos_cmp where idlic = ? order by idlan"));
        for (r.moveFirst(); !r.eof(); r.moveNext())
            out << r.value(QStringLiteral("vfrete")).value<Decimal>().toString();
        return out;
    }

    QString supplier;
};

TEST_F(FreightTest, FreightIsSpreadByValueAndReplacesTheLastOne) {
    line("A", "10", "2");
    line("B", "30", "1");
    auto f = load();
    apportion(f.get(), {QStringLiteral("DEZ"), QString(), QStringLiteral("100,00")});
    ASSERT_EQ(prompts().inputs.size(), 3u);
    EXPECT_EQ(prompts().inputs[0].prompt, QStringLiteral("Valor do Frete:"));
    EXPECT_EQ(prompts().inputs[0].title, QStringLiteral("Rateio do frete"));
    EXPECT_EQ(prompts().inputs[0].defaultText, QStringLiteral("R$ 0,00"));
    EXPECT_EQ(prompts().texts(),
              QStringList{QStringLiteral("Confirma o rateio de frete no valor de: 100,00 ?")});
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("20.0000"), QStringLiteral("60.0000")}));
    EXPECT_EQ(control<QLabel>(f.get(), "lST")->text(),
              QStringLiteral("Qtde TL: 3 Tl Frete: R$ 100,00 Tl Insumos: R$ 50,00 Tl Final: "
                             "R$ 150,00"));

    // Cancel and a negative amount change nothing; the currency text "R$ 0,00" is a number.
    apportion(f.get(), {std::nullopt});
    apportion(f.get(), {QStringLiteral("-1")});
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral(
                                     "--- ERRO --- VALOR DO FRETE NÃO PODE SER MENOR QUE ZERO!")});
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("20.0000"), QStringLiteral("60.0000")}));
    apportion(f.get(), {QStringLiteral("R$ 0,00")});
    EXPECT_EQ(prompts().inputs[0].defaultText, QStringLiteral("R$ 100,00"));
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("0.0000"), QStringLiteral("0.0000")}));
}

TEST_F(FreightTest, FreightPerUnitIsExactToFourDecimals) {
    line("A", "10", "3");
    auto f = load();
    apportion(f.get(), {QStringLiteral("10,00")});
    EXPECT_EQ(freights(), QStringList{QStringLiteral("3.3333")});
    EXPECT_TRUE(
        control<QLabel>(f.get(), "lST")->text().contains(QStringLiteral("Tl Frete: R$ 10,00")));
    // Single precision would lose the cents of a large freight.
    apportion(f.get(), {QStringLiteral("12.345.678,91")});
    EXPECT_EQ(freights(), QStringList{QStringLiteral("4115226.3033")});
    EXPECT_TRUE(control<QLabel>(f.get(), "lST")
                    ->text()
                    .contains(QStringLiteral("Tl Frete: R$ 12.345.678,91")));
}

// Each freight per unit is its share or one 0,0001 step off it: the spread whose total shows
// in cents the nearest to the freight typed, with the fewest lines moved; where it shows
// another, the question says so.
TEST_F(FreightTest, TheFreightStoredIsTheNearestSpreadAndTheQuestionNamesItWhereItDiffers) {
    for (const char* key : {"A", "B", "C"})
        line(key, "1", "1000");
    auto f = load();
    apportion(f.get(), {QStringLiteral("10,00")});
    EXPECT_EQ(prompts().texts(), QStringList{question("10,00")});
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("0.0034"), QStringLiteral("0.0033"),
                                       QStringLiteral("0.0033")}));
    EXPECT_EQ(freightTotal(f.get()), QStringLiteral("Tl Frete: R$ 10,00"));

    // 200 units store even cents only: 0,0769 a unit (15,38) is as near as 0,0768 (15,36)
    // and moves no line.
    auto replace =
        [&](std::initializer_list<std::tuple<const char*, const char*, const char*>> lines) {
            db.execute(QStringLiteral("delete from insumos_cmp where idlic = ?"), {gIdLic});
            for (const auto& [key, value, quantity] : lines)
                line(key, value, quantity);
            enter(f.get(), "txtModelo", QStringLiteral("1"), "txtDTe");
        };
    replace({{"A", "0.35", "200"}});
    apportion(f.get(), {QStringLiteral("15,37")});
    EXPECT_EQ(prompts().texts(), QStringList{question("15,37", "R$ 15,38")});
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
    EXPECT_EQ(freights(), QStringList{QStringLiteral("0.0769")});
    EXPECT_EQ(freightTotal(f.get()), QStringLiteral("Tl Frete: R$ 15,38"));

    // Both lines off their share (0,0643 and 0,0562 store 26,91) store the freight typed.
    replace({{"A", "277.44", "200"}, {"B", "242.71", "250"}});
    apportion(f.get(), {QStringLiteral("26,92")});
    EXPECT_EQ(prompts().texts(), QStringList{question("26,92")});
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("0.0642"), QStringLiteral("0.0563")}));
    EXPECT_EQ(freightTotal(f.get()), QStringLiteral("Tl Frete: R$ 26,92"));

    // 30.000 units at 1,00: 0,0003 a unit stores 9,00, a step more 12,00. No writes nothing.
    replace({{"D", "1", "30000"}});
    for (const auto& [amount, stored] : {std::pair{"10,00", "R$ 9,00"}, {"1,00", "R$ 0,00"}}) {
        apportion(f.get(), {QString::fromLatin1(amount)}, MsgAnswer::No);
        EXPECT_EQ(prompts().texts(), QStringList{question(amount, stored)});
        EXPECT_EQ(freights(), QStringList{QStringLiteral("0.0000")});
    }
    apportion(f.get(), {QStringLiteral("10,00")});
    EXPECT_EQ(freights(), QStringList{QStringLiteral("0.0003")});
    EXPECT_EQ(freightTotal(f.get()), QStringLiteral("Tl Frete: R$ 9,00"));
}

// The spread confirmed is spread again over the lines locked: where a line saved elsewhere
// meanwhile makes it store another total, nothing is written.
TEST_F(FreightTest, LinesThatChangeTheTotalWhileTheQuestionIsUpTakeNoFreight) {
    line("A", "0.35", "200");
    auto f = load();
    prompts().reset();
    prompts().inputAnswers.push_back(QStringLiteral("15,38"));
    prompts().answers.push_back(MsgAnswer::Yes);
    prompts().onMessage = [this](const MessageRequest& m) {
        if (m.text.startsWith(QStringLiteral("Confirma")))
            line("B", "1", "30000");
    };
    click(f.get(), "Command5");
    EXPECT_EQ(
        prompts().texts(),
        (QStringList{question("15,38"),
                     QStringLiteral("OS ITENS DA COMPRA MUDARAM: RATEIE O FRETE NOVAMENTE.")}));
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("0.0000"), QStringLiteral("0.0000")}));
    EXPECT_EQ(freightTotal(f.get()), QStringLiteral("Tl Frete: R$ 0,00"));
    EXPECT_TRUE(
        control<QLabel>(f.get(), "lST")->text().startsWith(QStringLiteral("Qtde TL: 30200")));
}

TEST_F(FreightTest, NothingIsWrittenWhenTheGoodsAreZeroOrTheLinesReadAgainLeaveTheRange) {
    line("A", "0", "3");
    auto f = load();
    apportion(f.get(), {QStringLiteral("10")});
    EXPECT_TRUE(prompts().inputs.empty());
    EXPECT_EQ(prompts().texts(),
              QStringList{QStringLiteral("--- ERRO --- VALOR TOTAL DOS INSUMOS ZERADO!")});

    // The first line takes its freight; the second one, saved elsewhere after the load, would
    // take one too large for its column: checked on the lines locked, nothing written.
    line("B", "1", "1");
    enter(f.get(), "txtModelo", QStringLiteral("1"), "txtDTe");
    line("C", "1000000", "0.0001");
    apportion(f.get(), {QStringLiteral("10.000.000.000,00")});
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!"));
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("0.0000"), QStringLiteral("0.0000"),
                                       QStringLiteral("0.0000")}));
    // Goods past the exact decimals among the lines read again: the purchase's totals are.
    line("D", "100000000", "1000");
    apportion(f.get(), {QStringLiteral("10,00")});
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("--- ERRO --- VALOR TOTAL DA COMPRA FORA DO LIMITE!"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Critical);
}

TEST_F(FreightTest, AnUpdateFailingHalfwayIsReportedAndRolledBack) {
    line("A", "10", "2");
    line("B", "30", "1");
    auto f = load();
    apportion(f.get(), {QStringLiteral("100,00")});
    // The second line's update fails once the first one's has run.
    const QString trigger = QStringLiteral("refuse_") + gIdLic;
    db.execute(QStringLiteral("create trigger %1 before update on insumos_cmp for each row if "
                              "new.idlic = '%2' then set @updates = ifnull(@updates, 0) + 1; if "
                              "@updates = 2 then signal sqlstate '45000' set message_text = "
                              "'gravacao recusada'; end if; end if")
                   .arg(trigger, gIdLic));
    apportion(f.get(), {QStringLiteral("200,00")});
    db.execute(QStringLiteral("drop trigger %1").arg(trigger));
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_TRUE(prompts().last().text.contains(QStringLiteral("gravacao recusada")));
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("20.0000"), QStringLiteral("60.0000")}));
}

TEST_F(FreightTest, AFreightPastTheExactDecimalsIsRefusedAndNothingIsWritten) {
    line("A", "1000000", "0.0001");
    auto f = load();
    // More decimals than an amount holds: out of range, asked again.
    const QString tooLong = QStringLiteral("0,") + QString(70, QLatin1Char('0')) + u'5';
    apportion(f.get(), {tooLong, std::nullopt});
    EXPECT_EQ(prompts().inputs.size(), 2u);
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!")});
    // A freight per unit past 64 bits of units.
    apportion(f.get(), {QStringLiteral("9.999.999.999.999")});
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(freights(), QStringList{QStringLiteral("0.0000")});
    EXPECT_TRUE(f->isVisible());
}

TEST_F(FreightTest, AFreightPastTheTotalsIsRefusedAndOneStoredPastThemCanBeReplaced) {
    line("A", "10", "0.5");
    auto f = load();
    // Past the column of the freight per unit, then past the purchase's freight total.
    for (const char* amount : {"9.000.000.000.000", "100.000.000.000"}) {
        apportion(f.get(), {QString::fromLatin1(amount)});
        EXPECT_EQ(prompts().texts(),
                  QStringList{QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!")});
        EXPECT_EQ(freights(), QStringList{QStringLiteral("0.0000")});
    }
    // A freight stored past the totals still leaves the goods, and a new one replaces it.
    db.execute(QStringLiteral("update insumos_cmp set vfrete = 9999999999999 where idlic = ?"),
               {gIdLic});
    enter(f.get(), "txtModelo", QStringLiteral("1"), "txtDTe");
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("--- ERRO --- VALOR TOTAL DA COMPRA FORA DO LIMITE!"));
    apportion(f.get(), {QStringLiteral("100,00")});
    EXPECT_EQ(prompts().texts(),
              QStringList{QStringLiteral("Confirma o rateio de frete no valor de: 100,00 ?")});
    EXPECT_EQ(freights(), QStringList{QStringLiteral("200.0000")});
    EXPECT_EQ(control<QLabel>(f.get(), "lST")->text(),
              QStringLiteral("Qtde TL: 0,5 Tl Frete: R$ 100,00 Tl Insumos: R$ 5,00 Tl Final: "
                             "R$ 105,00"));
}

TEST_F(FreightTest, AnotherWorkstationsLinesAndCloseCountForTheFreightAndTheReversal) {
    line("A", "100", "1");
    auto f = load();
    // A line saved elsewhere after the load takes its share: the freight is the amount typed.
    line("B", "100", "1");
    apportion(f.get(), {QStringLiteral("100,00")});
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("50.0000"), QStringLiteral("50.0000")}));
    EXPECT_TRUE(
        control<QLabel>(f.get(), "lST")->text().contains(QStringLiteral("Tl Frete: R$ 100,00")));

    // Closed elsewhere after the load: neither freight nor reversal changes its lines.
    const QString close = QStringLiteral("update insumos_cmp set status = 'S' where idlic = ?");
    db.execute(close, {gIdLic});
    apportion(f.get(), {QStringLiteral("10,00")});
    EXPECT_EQ(prompts().last().text, QStringLiteral("COMPRA JÁ ENCERRADA!"));
    EXPECT_FALSE(f->isVisible());
    db.execute(QStringLiteral("update insumos_cmp set status = 'N' where idlic = ?"), {gIdLic});
    f = load();
    db.execute(close, {gIdLic});
    prompts().reset();
    prompts().answers.push_back(MsgAnswer::Yes);
    clickLine(f.get(), 0);
    EXPECT_EQ(prompts().texts(), (QStringList{QStringLiteral("Estorna o item selecionado?"),
                                              QStringLiteral("COMPRA JÁ ENCERRADA!")}));
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(freights(), (QStringList{QStringLiteral("50.0000"), QStringLiteral("50.0000")}));
}

TEST_F(FreightTest, ClosingChecksTheHeaderAsksChecksTheTotalsAndClosesTheForm) {
    line("A", "10", "1");
    line("B", "10", "2");
    {
        auto f = open<frmInsumos_Compra>();
        click(f.get(), "Command8"); // no supplier on screen: nothing, silently
        EXPECT_TRUE(prompts().messages.empty());
    }
    auto f = load();
    box(f.get(), "txtSerie")->setText(QStringLiteral("1A"));
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- DADOS INVÁLIDO!")});
    box(f.get(), "txtSerie")->setText(QStringLiteral("1"));
    prompts().reset();
    click(f.get(), "Command8"); // answered No by default
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Deseja encerrar a compra?")});
    EXPECT_EQ(rows(QStringLiteral("select * from insumos_cmp where idlic = ? and status = 'S'"))
                  .recordCount(),
              0);
    // A line past the totals stored while the question is up (by SQL, or a workstation that
    // does not check them) is counted as the purchase closes: nothing is closed.
    prompts().reset();
    prompts().answers.push_back(MsgAnswer::Yes);
    prompts().onMessage = [this](const MessageRequest& m) {
        if (m.text == QStringLiteral("Deseja encerrar a compra?"))
            line("C", "9999999999999", "2");
    };
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().texts(),
              (QStringList{QStringLiteral("Deseja encerrar a compra?"),
                           QStringLiteral("--- ERRO --- VALOR TOTAL DA COMPRA FORA DO LIMITE!")}));
    EXPECT_EQ(rows(QStringLiteral("select * from insumos_cmp where idlic = ? and status = 'S'"))
                  .recordCount(),
              0);
    db.execute(QStringLiteral("delete from insumos_cmp where idlic = ? and idlan = 'C'"), {gIdLic});
    prompts().reset();
    prompts().answers.push_back(MsgAnswer::Yes);
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().texts(), (QStringList{QStringLiteral("Deseja encerrar a compra?"),
                                              QStringLiteral("COMPRA JÁ ENCERRADA!")}));
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(rows(QStringLiteral("select * from insumos_cmp where idlic = ? and status = 'S'"))
                  .recordCount(),
              2);
    auto again = open<frmInsumos_Compra>();
    click(again.get(), "Command7");
    EXPECT_EQ(control<QTableView>(again.get(), "DataGrid2")->model()->rowCount(), 0);
}

} // namespace
} // namespace vtx::test
