// The home-care visit dialog: the session's sheet read once at load, "Abrir O.S." and
// "Alterar Profissional".
#include "frmCli_AgendaProcHome.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "AgendaInput.h"
#include "Connection.h"
#include "Controls.h"
#include "Formats.h"
#include "Impressos.h"
#include "Keyboard.h"
#include "Modal.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "SharedRoutines.h"
#include "frmBuscaProf.h"

namespace vtx {

namespace {

const QString kContract =
    QStringLiteral("select * from contrato where idlic = ? and idcontrato = ?");
const QString kComplements = QStringLiteral(
    "select * from contrato_procedimentos where idlic = ? and idcontrato = ? and idproc = ?");
const QString kAssign = QStringLiteral(
    "update contrato_agenda set idprof = ? where idlic = ? and idcontrato = ? and idlan = ?");

constexpr int kSheetWidth = 70;

/// A title centred in dashes: left dashes, the title, right dashes.
QString ruled(int left, const QString& title, int right) {
    return QString(left, QLatin1Char('-')) + title + QString(right, QLatin1Char('-'));
}

bool ask(const QString& question) {
    return msgBox(question, QStringLiteral("Atenção"), MsgIcon::Question, MsgButtons::YesNo,
                  MsgDefault::Second) == MsgAnswer::Yes;
}

/// The sheet's lines of the contract, from the contract line to the procedure's name.
QStringList contractLines(const Recordset& c, const HomeSession& s) {
    auto t = [&c](const char* column) { return c.text(QLatin1String(column)); };
    const QString signed_ = Formats::dateTextOf(c.value(QStringLiteral("dtc")));
    return QStringList{QStringLiteral("Contrato..: ") + t("idcontrato") +
                           QStringLiteral(" Data: ") + signed_ + QStringLiteral(" Situação: ") +
                           t("status"),
                       QStringLiteral("Paciente..: ") + s.nmpac,
                       QStringLiteral("Nascimento: ") + s.dtnasc + QStringLiteral(" Idade: ") +
                           CalculaIdade(s.dtnasc),
                       ruled(30, QStringLiteral(" Endereço "), 30),
                       t("rua") + QLatin1Char(' ') + t("nrcasa"),
                       t("bairro"),
                       t("cidade") + QLatin1Char('/') + t("uf"),
                       QString(kSheetWidth, QLatin1Char('-')),
                       QStringLiteral("Medico.: ") + t("medresp"),
                       QStringLiteral("Diagno.: ") + t("diagno"),
                       QStringLiteral("Resp...: ") + t("nmresp") + QLatin1Char(' ') + t("foneresp"),
                       ruled(33, QStringLiteral(" Obs "), 32)} +
           frmCli_AgendaProcHome::wrapped(t("obs")) +
           QStringList{ruled(28, QStringLiteral(" Procedimento "), 28),
                       QStringLiteral("Data: ") + s.data + QLatin1Char(' ') + s.hora, s.nmproc};
}

} // namespace

struct frmCli_AgendaProcHome::Private {
    HomeSession session;
    QString IdProfSessao;
    QString StatusSessao;
    QListWidget* List1 = nullptr;
    QLabel* l_ID = nullptr;
};

frmCli_AgendaProcHome::frmCli_AgendaProcHome(const HomeSession& session, QWidget* parent)
    : QDialog(parent), d(new Private) {
    setObjectName(QStringLiteral("frmCli_AgendaProcHome"));
    setWindowTitle(QStringLiteral("Agenda - Atendimento"));
    d->session = session;
    buildUi();
    auto* keys = new KeyPreview(this);
    keys->keyPress = [this](int& ascii) {
        if (ascii == kEscape) {
            ascii = 0;
            reject();
        }
    };
    Form_Load();
}

frmCli_AgendaProcHome::~frmCli_AgendaProcHome() = default;

bool frmCli_AgendaProcHome::open(const HomeSession& session) {
    if (session.status == QLatin1String("1")) {
        msgBox(QStringLiteral("PROCEDIMENTO JÁ CONCLUIDO!"), QStringLiteral("ATENÇAO"),
               MsgIcon::Exclamation);
        return false;
    }
    if (session.idprof.trimmed().toLongLong() != 0 &&
        !ask(QStringLiteral("Procedimento já iniciado! Deseja prosseguir?")))
        return false;
    frmCli_AgendaProcHome dialog(session);
    showModal(&dialog);
    return true;
}

QStringList frmCli_AgendaProcHome::wrapped(const QString& text) {
    QStringList lines;
    for (qsizetype at = 0; at < text.size(); at += kSheetWidth)
        lines << text.mid(at, kSheetWidth).toLower().trimmed();
    return lines;
}

void frmCli_AgendaProcHome::buildUi() {
    resize(560, 520);
    d->List1 = new QListWidget(this);
    d->List1->setObjectName(QStringLiteral("List1"));
    QFont courier(QStringLiteral("Courier New"), 9);
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    d->List1->setFont(courier);
    d->List1->setGeometry(10, 10, 540, 410);
    d->l_ID = Controls::label(this, QStringLiteral("l_ID"), QString(), {10, 426, 540, 18});
    QPushButton* open = Controls::button(this, QStringLiteral("Command1"),
                                         QStringLiteral("Abrir O.S."), {10, 452, 265, 50});
    QPushButton* change =
        Controls::button(this, QStringLiteral("Command2"), QStringLiteral("Alterar Profissional"),
                         {285, 452, 265, 50});
    connect(open, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(change, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void frmCli_AgendaProcHome::Form_Load() {
    const HomeSession& s = d->session;
    d->IdProfSessao = s.idprof;
    d->StatusSessao = s.status;
    d->l_ID->setText(QStringLiteral("ID Atendimento: ") + s.idlan + QStringLiteral(" Sit: ") +
                     d->StatusSessao + QStringLiteral(" Id Prof: ") + d->IdProfSessao);
    reportingDbErrors([&] {
        Connection& db = conexaoAberta();
        Recordset contract = db.query(kContract, {gIdLic, s.idcontrato});
        for (contract.moveFirst(); !contract.eof(); contract.moveNext())
            d->List1->addItems(contractLines(contract, s));
        const std::optional<qlonglong> procedure = Formats::numericCode(s.idproc);
        if (!procedure)
            return;
        Recordset complements = db.query(kComplements, {gIdLic, s.idcontrato, *procedure});
        for (complements.moveFirst(); !complements.eof(); complements.moveNext())
            d->List1->addItems(wrapped(complements.text(QStringLiteral("complemento"))));
    });
}

void frmCli_AgendaProcHome::Command1_Click() {
    if (d->IdProfSessao.trimmed() == QLatin1String("0")) {
        assignProfessional();
        return;
    }
    if (ask(QStringLiteral("O.S. Já aberta! Deseja reimprimir?")))
        printSheet(d->IdProfSessao);
}

void frmCli_AgendaProcHome::Command2_Click() {
    if (d->IdProfSessao.trimmed() != QLatin1String("0")) {
        assignProfessional();
        return;
    }
    msgBox(QStringLiteral("O.S. ainda não foi aberta! Não e possível alterar o profissional!"),
           QStringLiteral("Atenção"), MsgIcon::Information);
}

void frmCli_AgendaProcHome::printSheet(const QString& professional) {
    const HomeSession& s = d->session;
    // Only a sheet written now is opened, never an older one of the same contract.
    if (Impressos::ImprimeEvolucao(s.idcontrato, s.data, s.hora, s.idproc.toFloat(), s.nmproc,
                                   s.idlan, professional))
        Impressos::openWrittenSheet();
}

void frmCli_AgendaProcHome::assignProfessional() {
    gCodBusca = QString();
    gNomeBusca.clear();
    frmBuscaProf::run();
    const std::optional<qlonglong> professional = Formats::numericCode(gCodBusca.toString());
    if (!professional || !ask(QStringLiteral("Confirma?\r\nProfissional: ") + gNomeBusca))
        return;
    printSheet(QString::number(*professional));
    long long changed = 0;
    const HomeSession& s = d->session;
    const bool written = reportingDbErrors([&] {
        Connection& db = conexaoAberta();
        Transaction transaction(db);
        changed =
            db.execute(kAssign, {QString::number(*professional), gIdLic, s.idcontrato, s.idlan});
        transaction.commit();
    });
    // A schedule generated again meanwhile no longer holds the session.
    if (written && changed == 0)
        errorBox(QStringLiteral("SESSÃO NÃO ENCONTRADA!"), MsgIcon::Exclamation);
    gCodBusca = QString();
}

} // namespace vtx
