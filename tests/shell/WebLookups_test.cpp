// Postal-code and company-registry lookups against a loopback server, and the JSON value reader.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "LoopbackServer.h"
#include "ScriptedPrompter.h"
#include "WebLookups.h"
#include "WebRequest.h"

using namespace vtx;
using vtx::test::LoopbackServer;
using vtx::test::prompts;

namespace {

const QString kFailure = QStringLiteral("\nCONEXÃO COM A INTERNET E/OU WEBSERVICE FALHOU!");

class WebLookupsTest : public vtx::test::WebFixture {
protected:
    void answerCep(const QByteArray& xml) {
        server.answer(QStringLiteral("/ws/01001000/xml/"), {200, xml});
    }

    /// The lookup failed: one information box titled "Atenção" that begins with the cause.
    void expectFailureBox(const QString& cause) {
        ASSERT_EQ(prompts().messages.size(), 1u);
        const auto& box = prompts().last();
        EXPECT_EQ(box.title, QStringLiteral("Atenção"));
        EXPECT_EQ(box.icon, MsgIcon::Information);
        EXPECT_TRUE(box.text.startsWith(cause)) << box.text.toStdString();
        EXPECT_TRUE(box.text.endsWith(kFailure)) << box.text.toStdString();
    }
};

TEST_F(WebLookupsTest, PostalCodeWithoutStreetTypeStartsWithABlank) {
    answerCep("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xmlcep>\n"
              "  <cep>01001-000</cep>\n  <logradouro>Praça da Sé</logradouro>\n"
              "  <complemento>lado ímpar</complemento>\n  <bairro>Sé</bairro>\n"
              "  <localidade>São Paulo</localidade>\n  <uf>SP</uf>\n  <ibge>3550308</ibge>\n"
              "</xmlcep>\n");
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")),
              QStringLiteral(" PRAÇA DA SÉ|SÉ|SÃO PAULO|SP|3550308"));
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(WebLookupsTest, PostalCodeWithStreetTypeLaterFieldsAndDeclaredEncoding) {
    // Latin-1 bytes as declared; "cidade" after "localidade" wins; an empty element keeps
    // the value read before it.
    answerCep(QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><webservicecep>"
                         "<uf>sp</uf><localidade>Sao Paulo</localidade>"
                         "<tipo_logradouro>Rua</tipo_logradouro><logradouro>Augusta</logradouro>"
                         "<logradouro/><bairro>Consola\xe7\xe3o</bairro>"
                         "<cidade>S\xe3o Paulo</cidade><ibge>3550308</ibge></webservicecep>"));
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")),
              QStringLiteral("RUA AUGUSTA|CONSOLAÇÃO|SÃO PAULO|SP|3550308"));
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(WebLookupsTest, PostalCodeUnknownOrUnreadableGivesEmptyFields) {
    answerCep("<xmlcep><erro>true</erro></xmlcep>");
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QStringLiteral(" ||||"));
    answerCep("<xmlcep/>");
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QStringLiteral("||||"));
    answerCep("<xmlcep><uf>SP</uf><bairro>X</xmlcep>");
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QStringLiteral("||||"));
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(WebLookupsTest, DeepOrHugeAnswersAreRefusedNotFollowed) {
    // Nested far past any address: unreadable, without a box, and without exhausting the stack.
    QByteArray deep = "<xmlcep><uf>SP</uf><bairro>";
    for (int i = 0; i < 60000; ++i)
        deep += "<a>";
    deep += "x";
    for (int i = 0; i < 60000; ++i)
        deep += "</a>";
    answerCep(deep + "</bairro></xmlcep>");
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QStringLiteral("||||"));
    // Text nested a little inside a field still counts as its text.
    answerCep("<xmlcep><bairro><b>S</b>é</bairro></xmlcep>");
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QStringLiteral(" |SÉ|||"));
    EXPECT_TRUE(prompts().messages.empty());

    // An answer past 1 MB is a failed lookup, whatever its content.
    const QByteArray padding(Web::kMaxAnswerBytes, ' ');
    answerCep("<xmlcep><uf>SP</uf>" + padding + "</xmlcep>");
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QString());
    expectFailureBox(QStringLiteral("299 "));
    server.answer(QStringLiteral("/v1/cnpj/11222333000181"), {200, "{\"nome\": \"X\"}" + padding});
    EXPECT_EQ(ConsultaCNPJ(QStringLiteral("11222333000181")), QString());
}

TEST_F(WebLookupsTest, PostalCodeAnswerResolvesNoExternalEntity) {
    QTemporaryDir dir;
    QFile secret(dir.filePath(QStringLiteral("secret.txt")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("segredo");
    secret.close();
    answerCep("<!DOCTYPE x [<!ENTITY e SYSTEM \"" +
              QUrl::fromLocalFile(secret.fileName()).toEncoded() +
              "\">]><x><uf>&e;</uf><bairro>&e;</bairro></x>");
    EXPECT_FALSE(BuscaCEP(QStringLiteral("01001000")).contains(QStringLiteral("SEGREDO")));
}

TEST_F(WebLookupsTest, PostalCodeErrorStatusShowsTheFailure) {
    server.answer(QStringLiteral("/ws/01001000/xml/"), {500, "<html>oops</html>"});
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QString());
    expectFailureBox(QStringLiteral("500 Internal Server Error"));

    prompts().reset();
    EXPECT_EQ(BuscaCEP(QStringLiteral("99999999")), QString()); // not served: 404
    expectFailureBox(QStringLiteral("404 Not Found"));
}

TEST_F(WebLookupsTest, PostalCodeTransportFailuresShowTheFailure) {
    server.answer(QStringLiteral("/ws/01001000/xml/"), {200, "<x/>", LoopbackServer::Mode::Drop});
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QString());
    expectFailureBox(QStringLiteral("2 "));

    prompts().reset();
    server.answer(QStringLiteral("/ws/01001000/xml/"), {200, "<x/>", LoopbackServer::Mode::Silent});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QString());
    EXPECT_LT(clock.elapsed(), kTimeoutMs + 3000);
    expectFailureBox(QStringLiteral("4 Tempo de espera esgotado"));

    prompts().reset();
    Web::setTestBase(vtx::test::closedPortUrl());
    EXPECT_EQ(BuscaCEP(QStringLiteral("01001000")), QString());
    expectFailureBox(QStringLiteral("1 "));
}

TEST_F(WebLookupsTest, TypedValuesArePercentEncodedIntoTheirSegment) {
    BuscaCEP(QStringLiteral("01001 000?x=1#y"));
    ConsultaCNPJ(QStringLiteral("12.345.678/0001-90"));
    ASSERT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(server.requests[0].path, QStringLiteral("/ws/01001%20000%3Fx%3D1%23y/xml/"));
    EXPECT_EQ(server.requests[1].path, QStringLiteral("/v1/cnpj/12.345.678%2F0001-90"));

    // A dot segment cannot be escaped: it is not asked at all.
    prompts().reset();
    EXPECT_EQ(BuscaCEP(QStringLiteral("..")), QString());
    EXPECT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(prompts().messages.size(), 1u);
}

TEST_F(WebLookupsTest, CompanyRegistryAnswers) {
    const QByteArray json = R"({"status": "OK", "nome": "PADARIA SÃO JOÃO LTDA"})";
    server.answer(QStringLiteral("/v1/cnpj/11222333000181"), {200, json});
    EXPECT_EQ(ConsultaCNPJ(QStringLiteral("11222333000181")), QString::fromUtf8(json));
    EXPECT_EQ(ConsultaCNPJ(QStringLiteral("00000000000000")), QStringLiteral("404 Error"));
    EXPECT_TRUE(prompts().messages.empty());

    // Error statuses and transport failures give an empty answer, never the service's text,
    // and no box of their own: the forms report the failed fill-in.
    server.answer(QStringLiteral("/v1/cnpj/11222333000181"), {500, R"({"nome": "Erro"})"});
    EXPECT_EQ(ConsultaCNPJ(QStringLiteral("11222333000181")), QString());
    server.answer(QStringLiteral("/v1/cnpj/11222333000181"),
                  {200, json, LoopbackServer::Mode::Drop});
    EXPECT_EQ(ConsultaCNPJ(QStringLiteral("11222333000181")), QString());
    Web::setTestBase(vtx::test::closedPortUrl());
    EXPECT_EQ(ConsultaCNPJ(QStringLiteral("11222333000181")), QString());
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(WebLookupsTest, MunicipalityCodeFromThePostalCodeJsonAnswer) {
    server.answer(QStringLiteral("/ws/01310100/json/"),
                  {200, R"({"cep": "01310-100", "localidade": "São Paulo", "ibge": "3550308"})"});
    EXPECT_EQ(ExtraiValorJSON(consultaCEPJson(QStringLiteral("01310100")), QStringLiteral("ibge")),
              QStringLiteral("3550308"));
    EXPECT_EQ(consultaCEPJson(QStringLiteral("99999999")), QString());
    EXPECT_TRUE(prompts().messages.empty());
}

// A registry answer shaped like the real one: a partner's "nome" nested before the company's,
// "codigo_municipio" before "municipio", the key "uf" as an earlier value.
const QString kRegistry = QStringLiteral(R"({
  "abertura": "01/02/2003",
  "qsa": [{"nome": "JOSÉ DA SILVA", "qual": "49-Sócio-Administrador"}],
  "fantasia": "uf",
  "nome" :  "ACME \"SUL\" COM\u00c9RCIO \\ FILHOS LTDA",
  "codigo_municipio": "7107",
  "municipio":"S\u00c3O PAULO",
  "numero": 1000 ,
  "uf": "SP",
  "email": null,
  "cep": "01.310-100",
  "extra": {"telefone": "(11) 5555-0000"}
})");

TEST(ExtraiValorJSON, ReadsTheOuterMemberItself) {
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("nome")),
              QStringLiteral("ACME \"SUL\" COMÉRCIO \\ FILHOS LTDA"));
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("municipio")), QStringLiteral("SÃO PAULO"));
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("uf")), QStringLiteral("SP"));
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("cep")), QStringLiteral("01.310-100"));
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("numero")), QStringLiteral("1000"));
}

TEST(ExtraiValorJSON, AbsentNullNestedOrUnclosedGiveEmpty) {
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("email")), QString());
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("telefone")), QString());
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("Nome")), QString());
    EXPECT_EQ(ExtraiValorJSON(kRegistry, QStringLiteral("qsa")), QString());
    EXPECT_EQ(ExtraiValorJSON(QStringLiteral("404 Error"), QStringLiteral("nome")), QString());
    EXPECT_EQ(ExtraiValorJSON(QStringLiteral("404 Error"), QStringLiteral("uf")), QString());
    EXPECT_EQ(ExtraiValorJSON(QStringLiteral(R"({"nome": "ACME)"), QStringLiteral("nome")),
              QString());
    EXPECT_EQ(ExtraiValorJSON(QString(), QStringLiteral("nome")), QString());
}

} // namespace
